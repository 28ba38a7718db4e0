#include "PhoneProbe.h"

#include "DialogueLog.h"

#include <QFileInfo>

namespace kva {

namespace {

// The questions in order; 0 is the presence check.
const QByteArray Questions[] = {"AT\r", "AT+CGMI\r", "AT+CGMM\r", "AT+CPBS?\r", "AT+CPBR=?\r", "AT+CPMS?\r"};
constexpr int QuestionCount = int(sizeof Questions / sizeof Questions[0]);

} // namespace

ProbeResult cannotOpenResult(const QString& devicePath, TAfOpenFailure cause)
{
    ProbeResult r;
    r.outcome = ProbeResult::Outcome::CannotOpen;
    r.openFailure = cause;
    const QList<PortOwner> owners = cause == TAfOpenFailure::Busy ? portOwners(devicePath) : QList<PortOwner>();
    const QString group = QFileInfo::exists(devicePath) ? QFileInfo(devicePath).group() : QString();
    r.text = QStringLiteral("nelze otevřít: ") + deviceProblemText(cause, devicePath, owners, group);
    return r;
}

PhoneProbe::PhoneProbe(QObject* parent) : QObject(parent)
{
    line_.open = [this](const QString& path, TAfOpenFailure& failure) {
        int sysError = 0;
        if (!port_.Open(path, failure, sysError))
            return false;
        TAfLineProperties line; // 8N1, no flow control
        line.BaudRate = br19200;
        if (!port_.SetTimeouts() || !port_.SetLineSettings(AfBuildLineSettings(line))) {
            port_.Close();
            failure = TAfOpenFailure::Other;
            return false;
        }
        port_.Purge(AfPurge::RxClear | AfPurge::TxClear); // stale input of an earlier user is no answer
        return true;
    };
    line_.write = [this](const QByteArray& q) { return port_.Write(q.constData(), int32_t(q.size())) >= 0; };
    line_.read = [this](char* buffer, int32_t count) { return port_.Read(buffer, count); };
    line_.lost = [this] { return port_.Lost(); };
    line_.close = [this] {
        if (port_.IsOpen())
            port_.Close();
    };
}

PhoneProbe::~PhoneProbe()
{
    cancel();
}

bool PhoneProbe::start(const QString& devicePath)
{
    if (running_)
        return false;
    running_ = true;
    device_ = devicePath;
    question_ = 0;
    answer_.clear();
    total_ = 0;
    identity_ = {};
    phoneDialogue().note(QStringLiteral("Najít telefon: zkouším %1").arg(devicePath));

    TAfOpenFailure failure = TAfOpenFailure::None;
    if (!line_.open(devicePath, failure)) {
        const ProbeResult r = cannotOpenResult(devicePath, failure);
        // Reported from the event loop, like every other outcome.
        waitTask_ = scheduler_->after(0, [this, r] {
            waitTask_ = 0;
            if (running_)
                finish(r);
        });
        return true;
    }
    schedulePoll();
    ask(0);
    return true;
}

void PhoneProbe::cancel()
{
    stopWaiting();
    if (pollTask_)
        scheduler_->cancel(pollTask_);
    pollTask_ = 0;
    running_ = false;
    line_.close();
}

void PhoneProbe::stopWaiting()
{
    if (waitTask_)
        scheduler_->cancel(waitTask_);
    waitTask_ = 0;
}

void PhoneProbe::schedulePoll()
{
    pollTask_ = scheduler_->after(PollMs, [this] {
        pollTask_ = 0;
        poll();
        if (running_ && !pollTask_) // a try that finished may have started the next one
            schedulePoll();
    });
}

void PhoneProbe::ask(int question)
{
    question_ = question;
    answer_.clear();
    phoneDialogue().sent(Questions[question]);
    if (!line_.write(Questions[question])) {
        vanished();
        return;
    }
    waitTask_ = scheduler_->after(question == 0 ? PresenceWaitMs : QuestionWaitMs, [this] {
        waitTask_ = 0;
        onTimeout();
    });
}

void PhoneProbe::poll()
{
    char buffer[4096];
    for (;;) {
        if (!running_)
            return;
        const int32_t n = line_.read(buffer, int32_t(sizeof buffer));
        if (n <= 0)
            break;
        const QByteArray bytes(buffer, n);
        phoneDialogue().received(bytes);
        answer_ += bytes;
        total_ += bytes.size();
        if (total_ > FloodBytes) {
            ProbeResult r;
            r.outcome = ProbeResult::Outcome::Flooding;
            r.text = QStringLiteral("posílá nepřetržitě data (přes %1 KiB), nejde o telefon").arg(FloodBytes / 1024);
            finish(r);
            return;
        }
    }
    if (line_.lost()) {
        vanished();
        return;
    }
    if (probeReply(answer_, Questions[question_]).complete())
        answerComplete(answer_, false);
}

void PhoneProbe::vanished()
{
    ProbeResult r;
    r.outcome = ProbeResult::Outcome::Vanished;
    r.text = QStringLiteral("zařízení zmizelo během zkoušky (odpojený kabel?)");
    finish(r);
}

void PhoneProbe::onTimeout()
{
    if (running_)
        answerComplete(answer_, true);
}

void PhoneProbe::answerComplete(const QByteArray& answer, bool timedOut)
{
    stopWaiting();
    if (question_ == 0) {
        if (probeReply(answer, Questions[0]).final == AtReply::Ok) {
            ask(1);
            return;
        }
        ProbeResult r;
        if (answer.isEmpty()) {
            r.outcome = ProbeResult::Outcome::Silent;
            r.text = QStringLiteral("neodpovídá");
        } else {
            r.outcome = ProbeResult::Outcome::NotAPhone;
            r.text = timedOut ? QStringLiteral("odpověď nesrozumitelná, nejde o telefon")
                              : QStringLiteral("na AT neodpověděl OK");
        }
        finish(r);
        return;
    }
    // A question left unanswered leaves its part of the summary out.
    const QByteArray& q = Questions[question_];
    switch (question_) {
    case 1: identity_.maker = identification(answer, q); break;
    case 2: identity_.model = identification(answer, q); break;
    case 3: identity_.phoneBook = phoneBookTotalFromCpbs(answer); break;
    case 4:
        if (identity_.phoneBook < 0)
            identity_.phoneBook = phoneBookTotalFromCpbr(answer);
        break;
    case 5: identity_.sms = smsTotalFromCpms(answer); break;
    }
    if (question_ + 1 < QuestionCount) {
        ask(question_ + 1);
        return;
    }
    ProbeResult r;
    r.outcome = ProbeResult::Outcome::Answering;
    r.identity = identity_;
    r.text = answeringSummary(identity_);
    finish(r);
}

void PhoneProbe::finish(ProbeResult result)
{
    cancel(); // the device is closed before anyone hears the result
    phoneDialogue().note(QStringLiteral("Najít telefon: %1: %2").arg(device_, result.text));
    emit finished(result);
}

} // namespace kva
