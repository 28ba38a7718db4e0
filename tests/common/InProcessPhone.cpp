#include "InProcessPhone.h"

#include "PhoneSim.h"
#include "SimStore.h"


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
    pacing_ = std::make_unique<phonesim::Pacing>(options_);
    ++generation_;
    held_ = false;
    lost_ = false;
    heldBytes_.clear();
    waiting_.clear();
    received_.clear();
    sent_.clear();
    writes_.clear();
}

void InProcessPhone::openLine(std::function<void()> dataReceived)
{
    dataReceived_ = std::move(dataReceived);
    ++generation_;
    heldBytes_.clear();
    waiting_.clear();
    model_->resetInput();
}

QByteArray InProcessPhone::take(qsizetype max)
{
    if (max < 0 || max >= waiting_.size())
        return std::exchange(waiting_, QByteArray());
    const QByteArray part = waiting_.left(max);
    waiting_.remove(0, max);
    return part;
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
    const qint64 now = clock_.nowMs();
    for (phonesim::Timed& t : pacing_->schedule(out, now))
        clock_.after(int(t.due - now), [this, generation = generation_, piece = QByteArray::fromStdString(t.bytes)] {
            if (generation == generation_)
                arrive(piece);
        });
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
