#include "TimedSequence.h"

#include "Cp1250.h"

namespace kva {

Sequence& Sequence::send(const QByteArray& bytes)
{
    steps_.push_back({Step::Send, bytes, 0, {}});
    return *this;
}

Sequence& Sequence::send(const QString& text)
{
    return send(toCp1250(text));
}

Sequence& Sequence::pause(int ms)
{
    steps_.push_back({Step::Pause, {}, ms < 0 ? 0 : ms, {}});
    return *this;
}

Sequence& Sequence::then(std::function<void()> action)
{
    steps_.push_back({Step::Action, {}, 0, std::move(action)});
    return *this;
}

int Sequence::totalPauseMs() const
{
    int total = 0;
    for (const Step& s : steps_)
        total += s.kind == Step::Pause ? s.ms : 0;
    return total;
}

SequenceRunner::SequenceRunner(std::function<void(const QByteArray&)> write, QObject* parent)
    : QObject(parent), write_(std::move(write))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SequenceRunner::advance);
}

bool SequenceRunner::start(Sequence sequence)
{
    if (running_)
        return false;
    steps_ = sequence.steps();
    next_ = 0;
    running_ = true;
    ++generation_;
    dueNs_ = 0;
    clock_.start();
    advance();
    return true;
}

void SequenceRunner::abort()
{
    timer_.stop();
    running_ = false;
    ++generation_;
    steps_.clear();
}

void SequenceRunner::advance()
{
    const unsigned generation = generation_;
    while (running_ && generation == generation_ && next_ < steps_.size()) {
        const Sequence::Step step = steps_[next_++];
        if (step.kind == Sequence::Step::Pause) {
            dueNs_ += qint64(step.ms) * 1000000;
            const qint64 leftNs = dueNs_ - clock_.nsecsElapsed();
            if (leftNs > 0) {
                timer_.start(int((leftNs + 999999) / 1000000));
                return;
            }
            continue;
        }
        try {
            if (step.kind == Sequence::Step::Send)
                write_(step.bytes);
            else if (step.action)
                step.action();
        } catch (...) {
            if (generation != generation_)
                return; // the action aborted the sequence itself before raising
            abort();
            if (onError)
                onError(std::current_exception());
            return;
        }
    }
    if (!running_ || generation != generation_)
        return;
    running_ = false;
    steps_.clear();
    if (onFinished)
        onFinished();
}

} // namespace kva
