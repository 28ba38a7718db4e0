#include "PhoneProbe.h"

#include "DialogueLog.h"

#include <QFileInfo>

namespace kva {

namespace {

const QByteArray Presence = "AT\r";

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

PhoneProbe::PhoneProbe(QObject* parent)
    : QObject(parent), runner_(ownScheduler_, [this](const QByteArray& question) { ask(question); })
{
    // A step does not throw; should one, the try ends and the error goes on as before.
    runner_.onError = [this](std::exception_ptr error) {
        cancel();
        std::rethrow_exception(error);
    };
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

void PhoneProbe::setScheduler(Scheduler& scheduler)
{
    scheduler_ = &scheduler;
    runner_.setScheduler(scheduler);
}

bool PhoneProbe::start(const QString& devicePath)
{
    if (running_)
        return false;
    running_ = true;
    device_ = devicePath;
    question_.clear();
    answer_.clear();
    total_ = 0;
    identity_ = {};
    phoneDialogue().note(QStringLiteral("Najít telefon: zkouším %1").arg(devicePath));

    TAfOpenFailure failure = TAfOpenFailure::None;
    if (!line_.open(devicePath, failure)) {
        const ProbeResult r = cannotOpenResult(devicePath, failure);
        // Reported from the event loop, like every other outcome.
        openFailedTask_ = scheduler_->after(0, [this, r] {
            openFailedTask_ = 0;
            if (running_)
                finish(r);
        });
        return true;
    }
    schedulePoll();
    runner_.start(questions());
    return true;
}

Exchange PhoneProbe::questions()
{
    const auto complete = [this] { return answered(); };
    Exchange e;
    e.send(Presence).awaitAnswer(PresenceWaitMs, complete).then([this] { presenceAnswered(); });
    // A question left unanswered leaves its part of the summary out.
    e.send("AT+CGMI\r").awaitAnswer(QuestionWaitMs, complete).then([this] {
        identity_.maker = identification(answer_, question_);
    });
    e.send("AT+CGMM\r").awaitAnswer(QuestionWaitMs, complete).then([this] {
        identity_.model = identification(answer_, question_);
    });
    e.send("AT+CPBS?\r").awaitAnswer(QuestionWaitMs, complete).then([this] {
        identity_.phoneBook = phoneBookTotalFromCpbs(answer_);
    });
    e.send("AT+CPBR=?\r").awaitAnswer(QuestionWaitMs, complete).then([this] {
        if (identity_.phoneBook < 0)
            identity_.phoneBook = phoneBookTotalFromCpbr(answer_);
    });
    e.send("AT+CPMS?\r").awaitAnswer(QuestionWaitMs, complete).then([this] {
        identity_.sms = smsTotalFromCpms(answer_);
    });
    e.then([this] {
        ProbeResult r;
        r.outcome = ProbeResult::Outcome::Answering;
        r.identity = identity_;
        r.text = answeringSummary(identity_);
        finish(r);
    });
    return e;
}

void PhoneProbe::cancel()
{
    runner_.abort();
    if (openFailedTask_)
        scheduler_->cancel(openFailedTask_);
    openFailedTask_ = 0;
    if (pollTask_)
        scheduler_->cancel(pollTask_);
    pollTask_ = 0;
    running_ = false;
    line_.close();
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

void PhoneProbe::ask(const QByteArray& question)
{
    question_ = question;
    answer_.clear();
    phoneDialogue().sent(question);
    if (!line_.write(question))
        vanished();
}

bool PhoneProbe::answered() const
{
    return probeReply(answer_, question_).complete();
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
    runner_.answerStored();
}

void PhoneProbe::vanished()
{
    ProbeResult r;
    r.outcome = ProbeResult::Outcome::Vanished;
    r.text = QStringLiteral("zařízení zmizelo během zkoušky (odpojený kabel?)");
    finish(r);
}

void PhoneProbe::presenceAnswered()
{
    const AtReply reply = probeReply(answer_, Presence);
    if (reply.final == AtReply::Ok)
        return;
    ProbeResult r;
    if (answer_.isEmpty()) {
        r.outcome = ProbeResult::Outcome::Silent;
        r.text = QStringLiteral("neodpovídá");
    } else {
        r.outcome = ProbeResult::Outcome::NotAPhone;
        // A refusal is a final result; anything else came without one until the time was up.
        r.text = reply.complete() ? QStringLiteral("na AT neodpověděl OK")
                                  : QStringLiteral("odpověď nesrozumitelná, nejde o telefon");
    }
    finish(r);
}

void PhoneProbe::finish(ProbeResult result)
{
    cancel(); // the device is closed before anyone hears the result
    phoneDialogue().note(QStringLiteral("Najít telefon: %1: %2").arg(device_, result.text));
    emit finished(result);
}

} // namespace kva
