#include "InProcessPhone.h"

#include "PhoneSim.h"
#include "SimStore.h"

#include <QWidget> // PhoneChannel.h holds QPointer<QWidget>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

void InProcessPhone::start(const QStringList& args, const QByteArray& state)
{
    std::vector<std::string> list;
    for (const QString& a : args)
        list.push_back(a.toStdString());
    options_ = phonesim::parseOptions(list);
    model_ = std::make_unique<phonesim::PhoneModel>(options_.phone, phonesim::SimStore::fromText(state.toStdString()));
    ++generation_;
    lastAnswerDue_ = 0;
    held_ = false;
    lost_ = false;
    heldBytes_.clear();
    waiting_.clear();
    received_.clear();
    sent_.clear();
    writes_.clear();
}

kva::PhoneChannel::Port InProcessPhone::port(std::function<void()> dataReceived)
{
    dataReceived_ = std::move(dataReceived);
    // A line opened anew: what the phone had still to send for the last client, and what that
    // client left unread, are gone.
    ++generation_;
    lastAnswerDue_ = 0;
    heldBytes_.clear();
    waiting_.clear();
    model_->resetInput();
    return {
        [this] { return open; },
        [this](const QByteArray& bytes) { write(bytes); },
        [this] { return std::exchange(waiting_, QByteArray()); },
    };
}

void InProcessPhone::write(const QByteArray& bytes)
{
    if (lost_) // what the serial port throws once its device has hung up
        throw std::runtime_error("Write data error [requested: " + std::to_string(bytes.size()) +
                                 ", free: 0] - AfComPort1 ");
    received_ += bytes;
    writes_.append({clock_.nowMs(), bytes});
    const std::vector<phonesim::Output> out = model_->feed(bytes.toStdString());
    if (model_->vanished()) { // gone before its echo leaves
        kill();
        return;
    }
    // As phonesim paces its line: the echo at once, each answer --delay-ms after its command
    // and never before the one ahead of it, in --piece-bytes pieces --piece-gap-ms apart.
    const qint64 now = clock_.nowMs();
    const auto deliver = [this, now](qint64 due, QByteArray piece) {
        clock_.after(int(due - now), [this, generation = generation_, piece = std::move(piece)] {
            if (generation == generation_)
                arrive(piece);
        });
    };
    for (const phonesim::Output& o : out) {
        const QByteArray text = QByteArray::fromStdString(o.bytes);
        if (o.kind == phonesim::Output::Echo) {
            deliver(now, text);
            continue;
        }
        qint64 due = std::max(now + options_.delayMs, lastAnswerDue_);
        const qsizetype step = options_.pieceBytes > 0 ? options_.pieceBytes : text.size();
        for (qsizetype i = 0; i < text.size(); i += step) {
            if (i > 0)
                due += options_.pieceGapMs;
            deliver(due, text.mid(i, step));
        }
        lastAnswerDue_ = due;
    }
}

void InProcessPhone::arrive(const QByteArray& bytes)
{
    if (held_) {
        heldBytes_ += bytes;
        return;
    }
    sent_ += bytes;
    waiting_ += bytes;
    if (dataReceived_)
        dataReceived_();
}

void InProcessPhone::release()
{
    held_ = false;
    if (!heldBytes_.isEmpty())
        arrive(std::exchange(heldBytes_, QByteArray()));
}

void InProcessPhone::kill()
{
    lost_ = true;
    ++generation_; // what it had still to send never comes
    heldBytes_.clear();
}

QList<QByteArray> InProcessPhone::receivedCommands() const
{
    return PhoneSim::commandsOf(received_);
}

QList<qint64> InProcessPhone::receivedTimes(const QByteArray& prefix) const
{
    QList<qint64> at;
    for (const auto& [ms, bytes] : writes_)
        if (bytes.contains(prefix))
            at << ms;
    return at;
}

QByteArray InProcessPhone::state() const
{
    return QByteArray::fromStdString(model_->store().toText());
}
