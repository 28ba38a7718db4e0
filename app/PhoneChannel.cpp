#include "PhoneChannel.h"

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
    : QObject(parent), state_(state), window_(window), runner_([this](const QByteArray& b) { send(b); }, this)
{
    receiveTimer_.setSingleShot(true);
    receiveTimer_.setTimerType(Qt::PreciseTimer);
    receiveTimer_.setInterval(ReceiveWaitMs);
    connect(&receiveTimer_, &QTimer::timeout, this, &PhoneChannel::receiveWaitOver);
    runner_.onError = [this](std::exception_ptr e) { fail(e); };
}

void PhoneChannel::setPort(Port port)
{
    port_ = std::move(port);
}

void PhoneChannel::dataReceived()
{
    if (shutDown_ || receiveTimer_.isActive())
        return; // the pending wait will read this input too
    receiveTimer_.start();
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
    if (!bytes.isEmpty())
        qCDebug(phoneTrace) << "phone <-" << bytes;
    phoneDialogue().received(bytes);
    state_.LastChunk = fromCp1250(bytes);
    if (!state_.LastChunk.isEmpty())
        state_.ReplyBuffer = state_.LastChunk;
    emit chunkStored();
    runDeferred();
}

void PhoneChannel::runStep(std::function<void()> step)
{
    if (shutDown_ || !step)
        return;
    if (receiveTimer_.isActive()) {
        deferred_.push_back(std::move(step));
        return;
    }
    step();
}

void PhoneChannel::runDeferred()
{
    // A step may abort the exchange (clearing the queue) or, in principle, start a new wait.
    while (!deferred_.empty() && !receiveTimer_.isActive() && !shutDown_) {
        std::function<void()> step = std::move(deferred_.front());
        deferred_.pop_front();
        step();
    }
}

void PhoneChannel::routeTimer(QTimer* timer, std::function<void()> tick)
{
    timer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    connect(timer, &QTimer::timeout, this, [this, tick = std::move(tick)] { runStep(tick); });
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

bool PhoneChannel::beginOnOpenPort(QWidget* page, std::function<void()> backToIdle)
{
    return !refuseIfClosed(page) && begin(page, std::move(backToIdle));
}

bool PhoneChannel::beginWithProbe(QWidget* page, std::function<void()> backToIdle, const std::function<void()>& next)
{
    if (!beginOnOpenPort(page, std::move(backToIdle)))
        return false;
    step([&] {
        startProbe();
        next();
    });
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
    port_.write(bytes);
}

void PhoneChannel::send(const QString& text)
{
    send(toCp1250(text));
}

void PhoneChannel::startProbe()
{
    state_.ReplyBuffer = QStringLiteral(" ");
    send(QByteArrayLiteral("AT\r"));
}

bool PhoneChannel::probeAnswered() const
{
    return kva::probeAnswered(state_.ReplyBuffer);
}

void PhoneChannel::warnSilent(QWidget* page)
{
    showWarning(page ? page : window_.data(), QStringLiteral("POZOR - telefon nekomunikuje !"));
}

bool PhoneChannel::endIfSilent(QWidget* page, const std::function<void()>& enableButtons)
{
    if (probeAnswered())
        return false;
    warnSilent(page);
    enableButtons();
    end();
    return true;
}

bool PhoneChannel::run(Sequence sequence)
{
    return runner_.start(std::move(sequence));
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
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    } catch (...) {
        fail(QStringLiteral("Neznámá chyba"));
    }
}

void PhoneChannel::shutdown()
{
    receiveTimer_.stop();
    abort();
    shutDown_ = true;
}

} // namespace kva
