#include "PhoneChannel.h"

#include "AtCommands.h"
#include "Cp1250.h"
#include "DialogueLog.h"
#include "KvaError.h"
#include "MessageBoxes.h"
#include "PhoneReply.h"

#include <QAbstractButton>
#include <QLoggingCategory>
#include <QWidget>

namespace kva {

PhoneChannel::PhoneChannel(SharedState& state, QWidget* window, QObject* parent)
    : QObject(parent), state_(state), window_(window), runner_(ownScheduler_, [this](const QByteArray& b) { send(b); })
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
}

void PhoneChannel::store(const QByteArray& chunk)
{
    if (!chunk.isEmpty())
        qCDebug(phoneTrace) << "phone <-" << chunk;
    phoneDialogue().received(chunk);
    state_.LastChunk = fromCp1250(chunk);
    sinceSend_ += state_.LastChunk;
    if (!state_.LastChunk.isEmpty())
        state_.ReplyBuffer = state_.LastChunk;
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

bool PhoneChannel::refuseIfClosed(QWidget* page)
{
    if (isOpen())
        return false;
    showRefusal(page ? page : window_.data(), QStringLiteral("POZOR - sériový port není otevřen !"));
    return true;
}

bool PhoneChannel::start(QWidget* page, std::function<void()> backToIdle, Exchange exchange)
{
    if (refuseIfClosed(page) || !begin(page, std::move(backToIdle)))
        return false;
    run(std::move(exchange));
    return true;
}

bool PhoneChannel::begin(QWidget* page, std::function<void()> backToIdle)
{
    if (shutDown_)
        return false;
    if (busy_) {
        showRefusal(page ? page : window_.data(),
                    QStringLiteral("POZOR - s telefonem právě probíhá jiná operace, vyčkejte na její dokončení !"));
        return false;
    }
    busy_ = true;
    page_ = page;
    backToIdle_ = std::move(backToIdle);
    for (const QPointer<QAbstractButton>& b : guarded_)
        if (b)
            b->setEnabled(false);
    emit busyChanged(true);
    return true;
}

void PhoneChannel::end()
{
    if (!busy_)
        return;
    runner_.abort();
    busy_ = false;
    page_ = nullptr;
    backToIdle_ = nullptr;
    for (const QPointer<QAbstractButton>& b : guarded_)
        if (b)
            b->setEnabled(true);
    emit busyChanged(false);
}

void PhoneChannel::guardButtons(std::initializer_list<QAbstractButton*> buttons)
{
    for (QAbstractButton* b : buttons) {
        guarded_.append(b);
        if (busy_)
            b->setEnabled(false);
    }
}

void PhoneChannel::send(const QByteArray& bytes)
{
    if (!port_.write)
        throw Error(QStringLiteral("POZOR - sériový port není otevřen !"));
    qCDebug(phoneTrace) << "phone ->" << bytes;
    phoneDialogue().sent(bytes);
    sinceSend_.clear();
    port_.write(bytes);
}

void PhoneChannel::send(const QString& text)
{
    send(toCp1250(text));
}

Exchange PhoneChannel::probe(int awaitMs, QWidget* page, std::function<void()> enableButtons,
                             std::function<void()> afterSend)
{
    Exchange e;
    e.then([this] { state_.ReplyBuffer = QStringLiteral(" "); }).send(probeCommand());
    if (afterSend)
        e.then(std::move(afterSend));
    e.await(awaitMs).then(endIfSilent(page, std::move(enableButtons)));
    return e;
}

std::function<void()> PhoneChannel::endIfSilent(QWidget* page, std::function<void()> enableButtons)
{
    return [this, page = QPointer<QWidget>(page), enableButtons = std::move(enableButtons)] {
        if (probeAnswered())
            return;
        showWarning(page ? page.data() : window_.data(), QStringLiteral("POZOR - telefon nekomunikuje !"));
        if (enableButtons)
            enableButtons();
        end();
    };
}

bool PhoneChannel::probeAnswered() const
{
    return kva::probeAnswered(state_.ReplyBuffer);
}

bool PhoneChannel::run(Exchange exchange)
{
    return runner_.start(std::move(exchange));
}

void PhoneChannel::abort()
{
    runner_.abort();
    deferred_.clear();
    if (!busy_)
        return;
    std::function<void()> toIdle = std::move(backToIdle_);
    backToIdle_ = nullptr;
    if (toIdle)
        toIdle();
    end();
}

void PhoneChannel::fail(const QString& message)
{
    QWidget* parent = page_ ? page_.data() : window_.data();
    abort();
    if (!shutDown_)
        showErrorBox(parent, message);
}

void PhoneChannel::fail(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const PhoneSilent& silent) {
        QWidget* parent = page_ ? page_.data() : window_.data();
        abort();
        if (!shutDown_)
            showWarning(parent, silent.message());
        return;
    } catch (...) {
    }
    fail(messageOf(error));
}

std::function<QString()> PhoneChannel::confirm(Confirmation confirmation)
{
    return [this, c = std::move(confirmation)] { return confirmationFailure(c, sinceSend_); };
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
