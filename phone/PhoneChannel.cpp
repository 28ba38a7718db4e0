#include "PhoneChannel.h"

#include "AtCommands.h"
#include "AtReply.h"
#include "Cp1250.h"
#include "DialogueLog.h"
#include "KvaError.h"
#include "PhoneReply.h"

#include <QLoggingCategory>

namespace kva {

PhoneChannel::PhoneChannel(QObject* parent)
    : QObject(parent), runner_(ownScheduler_, [this](const QByteArray& b) { send(b); })
{
    runner_.afterAnswer = [this](Scheduler::Task step) { runStep(std::move(step)); };
    runner_.onError = [this](std::exception_ptr e) { fail(e); };
    runner_.onFinished = [this] { end(); };
}

PhoneChannel::~PhoneChannel()
{
    runner_.abort();
    if (receiveTask_)
        scheduler_->cancel(receiveTask_);
}

void PhoneChannel::setPort(Port port)
{
    port_ = std::move(port);
}

void PhoneChannel::setScheduler(Scheduler& scheduler)
{
    if (receiveTask_)
        scheduler_->cancel(receiveTask_);
    receiveTask_ = 0;
    scheduler_ = &scheduler;
    runner_.setScheduler(scheduler);
}

void PhoneChannel::dataReceived()
{
    if (shutDown_ || receiveTask_)
        return; // the pending wait will read this input too
    receiveTask_ = scheduler_->after(ReceiveWaitMs, [this] {
        receiveTask_ = 0;
        receiveWaitOver();
    });
}

// The AT dialogue, for a user's problem report: QT_LOGGING_RULES="kva.phone.debug=true".
Q_LOGGING_CATEGORY(phoneTrace, "kva.phone", QtWarningMsg)

void PhoneChannel::receiveWaitOver()
{
    if (shutDown_)
        return;
    QByteArray bytes;
    try {
        if (port_.read)
            bytes = port_.read();
    } catch (...) {
        fail(std::current_exception());
        return;
    }
    store(bytes);
    runDeferred();
    runner_.answerStored(); // a wait for a whole answer ends as soon as it has come
}

void PhoneChannel::store(const QByteArray& chunk)
{
    if (!chunk.isEmpty())
        qCDebug(phoneTrace) << "phone <-" << chunk;
    phoneDialogue().received(chunk);
    sinceSend_ += fromCp1250(chunk);
    if (sinceSend_.size() > MaxAnswerChars) {
        sinceSend_.clear();
        emit chunkStored();
        if (busy_)
            fail(QStringLiteral("Zařízení na portu posílá nepřetržitě data (více než %1 KiB bez příkazu), "
                                "nejde o telefon. Zvolte port, na kterém je telefon.")
                     .arg(MaxAnswerChars / 1024));
        return;
    }
    emit chunkStored();
}

void PhoneChannel::runStep(Scheduler::Task step)
{
    if (shutDown_ || !step)
        return;
    if (receiveTask_) {
        deferred_.push_back(std::move(step));
        return;
    }
    step();
}

void PhoneChannel::runDeferred()
{
    // A step may abort the exchange (clearing the queue) or, in principle, start a new wait.
    while (!deferred_.empty() && !receiveTask_ && !shutDown_) {
        Scheduler::Task step = std::move(deferred_.front());
        deferred_.pop_front();
        step();
    }
}

bool PhoneChannel::isOpen() const
{
    return port_.isOpen && port_.isOpen();
}

bool PhoneChannel::begin(std::function<void()> stopped)
{
    if (shutDown_ || busy_)
        return false;
    busy_ = true;
    stopped_ = std::move(stopped);
    emit busyChanged(true);
    return true;
}

void PhoneChannel::end()
{
    if (!busy_)
        return;
    runner_.abort();
    leaveMessage();
    busy_ = false;
    stopped_ = nullptr;
    emit busyChanged(false);
}

void PhoneChannel::send(const QByteArray& bytes)
{
    if (!port_.write)
        throw Error(QStringLiteral("POZOR - sériový port není otevřen !"));
    qCDebug(phoneTrace) << "phone ->" << bytes;
    phoneDialogue().sent(bytes);
    sinceSend_.clear();
    // The message text of AT+CMGW ends with Ctrl-Z (sent) or ESC (cancelled).
    const bool announces = bytes.startsWith("AT+CMGW=");
    const bool endsText = bytes.endsWith('\x1a') || bytes.endsWith('\x1b');
    port_.write(bytes);
    if (announces)
        insideMessage_ = true;
    else if (endsText)
        insideMessage_ = false;
}

void PhoneChannel::leaveMessage()
{
    if (!insideMessage_)
        return;
    insideMessage_ = false;
    // A phone that answered AT+CMGW with a final result (a refusal) takes no message text.
    if (!isOpen() || !port_.write || readReply(sinceSend_).complete())
        return;
    try {
        qCDebug(phoneTrace) << "phone -> ESC";
        phoneDialogue().sent(escapeCommand());
        sinceSend_.clear();
        port_.write(escapeCommand());
    } catch (...) {
        // The port is gone: the phone will not read anything else from it either.
    }
}

void PhoneChannel::send(const QString& text)
{
    send(toCp1250(text));
}

Exchange PhoneChannel::probe(int awaitMs, std::function<void()> notAnswered, std::function<void()> afterSend)
{
    Exchange e;
    e.send(probeCommand());
    if (afterSend)
        e.then(std::move(afterSend));
    e.await(awaitMs).then(endIfSilent(std::move(notAnswered)));
    return e;
}

std::function<void()> PhoneChannel::endIfSilent(std::function<void()> notAnswered)
{
    return [this, notAnswered = std::move(notAnswered)] {
        if (probeAnswered())
            return;
        emit silent(QStringLiteral("POZOR - telefon nekomunikuje !"));
        if (notAnswered)
            notAnswered();
        end();
    };
}

bool PhoneChannel::probeAnswered() const
{
    return answeredOk(sinceSend_, QString::fromLatin1(probeCommand()));
}

bool PhoneChannel::run(Exchange exchange)
{
    return runner_.start(std::move(exchange));
}

void PhoneChannel::abort()
{
    runner_.abort();
    deferred_.clear();
    leaveMessage();
    if (!busy_)
        return;
    std::function<void()> toIdle = std::move(stopped_);
    stopped_ = nullptr;
    if (toIdle)
        toIdle();
    end();
}

void PhoneChannel::fail(const QString& message)
{
    abort();
    if (!shutDown_)
        emit failed(message);
}

void PhoneChannel::fail(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const PhoneSilent& noAnswer) {
        abort();
        if (!shutDown_)
            emit silent(noAnswer.message());
        return;
    } catch (...) {
    }
    fail(messageOf(error));
}

std::function<QString()> PhoneChannel::confirm(Confirmation confirmation)
{
    return [this, c = std::move(confirmation)] { return confirmationFailure(c, sinceSend_); };
}

void PhoneChannel::reportIncomplete(const QString& message)
{
    if (!shutDown_)
        emit incomplete(message);
}

void PhoneChannel::shutdown()
{
    if (receiveTask_)
        scheduler_->cancel(receiveTask_);
    receiveTask_ = 0;
    abort();
    shutDown_ = true;
}

} // namespace kva
