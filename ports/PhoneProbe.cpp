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
    timer_.setSingleShot(true);
    // A coarse timer may fire up to 5 % early: a phone that answers in 0.96 s
    // must not be called silent.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PhoneProbe::onTimeout);
    pollTimer_.setInterval(PollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &PhoneProbe::poll);
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
    int sysError = 0;
    bool ready = port_.Open(devicePath, failure, sysError);
    if (ready) {
        TAfLineProperties line; // 8N1, no flow control
        line.BaudRate = br19200;
        ready = port_.SetTimeouts() && port_.SetLineSettings(AfBuildLineSettings(line));
        if (!ready) {
            port_.Close();
            failure = TAfOpenFailure::Other;
        }
    }
    if (!ready) {
        const ProbeResult r = cannotOpenResult(devicePath, failure);
        // Reported from the event loop, like every other outcome.
        QTimer::singleShot(0, this, [this, r] {
            if (running_)
                finish(r);
        });
        return true;
    }
    port_.Purge(AfPurge::RxClear | AfPurge::TxClear); // stale input of an earlier user is no answer
    pollTimer_.start();
    ask(0);
    return true;
}

void PhoneProbe::cancel()
{
    timer_.stop();
    pollTimer_.stop();
    running_ = false;
    if (port_.IsOpen())
        port_.Close();
}

void PhoneProbe::ask(int question)
{
    question_ = question;
    answer_.clear();
    phoneDialogue().sent(Questions[question]);
    const QByteArray& q = Questions[question];
    if (port_.Write(q.constData(), int32_t(q.size())) < 0) {
        vanished();
        return;
    }
    timer_.start(question == 0 ? PresenceWaitMs : QuestionWaitMs);
}

void PhoneProbe::poll()
{
    char buffer[4096];
    for (;;) {
        if (!running_)
            return;
        const int32_t n = port_.Read(buffer, int32_t(sizeof buffer));
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
    if (port_.Lost()) {
        vanished();
        return;
    }
    if (finalResult(answer_) != FinalResult::None)
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
    timer_.stop();
    if (question_ == 0) {
        if (finalResult(answer) == FinalResult::Ok) {
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
