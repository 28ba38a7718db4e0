#include "Exchange.h"

#include "Cp1250.h"
#include "KvaError.h"

namespace kva {

Exchange& Exchange::send(const QByteArray& bytes)
{
    steps_.push_back({Step::Send, bytes, 0, {}, {}, {}});
    return *this;
}

Exchange& Exchange::send(const QString& text)
{
    return send(toCp1250(text));
}

Exchange& Exchange::pause(int ms)
{
    steps_.push_back({Step::Pause, {}, ms < 0 ? 0 : ms, {}, {}, {}});
    return *this;
}

Exchange& Exchange::await(int ms)
{
    steps_.push_back({Step::Await, {}, ms < 0 ? 0 : ms, {}, {}, {}});
    return *this;
}

Exchange& Exchange::awaitAnswer(int ms, std::function<bool()> complete)
{
    steps_.push_back({Step::AwaitAnswer, {}, ms < 0 ? 0 : ms, {}, {}, std::move(complete)});
    return *this;
}

Exchange& Exchange::then(std::function<void()> action)
{
    steps_.push_back({Step::Do, {}, 0, std::move(action), {}, {}});
    return *this;
}

Exchange& Exchange::check(std::function<QString()> check)
{
    if (!steps_.empty() && (steps_.back().kind == Step::Pause || steps_.back().kind == Step::Await ||
                            steps_.back().kind == Step::AwaitAnswer))
        steps_.back().check = std::move(check);
    return *this;
}

Exchange& Exchange::append(const Exchange& more)
{
    steps_.insert(steps_.end(), more.steps_.begin(), more.steps_.end());
    return *this;
}

int Exchange::totalPauseMs() const
{
    int total = 0;
    for (const Step& s : steps_)
        total += s.kind == Step::Pause || s.kind == Step::Await || s.kind == Step::AwaitAnswer ? s.ms : 0;
    return total;
}

StepRunner::StepRunner(Scheduler& scheduler, std::function<void(const QByteArray&)> write)
    : scheduler_(&scheduler), write_(std::move(write))
{
}

StepRunner::~StepRunner()
{
    abort();
}

void StepRunner::setScheduler(Scheduler& scheduler)
{
    abort();
    scheduler_ = &scheduler;
}

bool StepRunner::start(Exchange exchange)
{
    if (running_)
        return false;
    steps_ = exchange.steps();
    next_ = 0;
    running_ = true;
    ++generation_;
    dueNs_ = scheduler_->nowNs();
    advance();
    return true;
}

void StepRunner::continueWith(const Exchange& more)
{
    if (running_)
        steps_.insert(steps_.begin() + qsizetype(next_), more.steps().begin(), more.steps().end());
}

void StepRunner::abort()
{
    if (task_)
        scheduler_->cancel(task_);
    task_ = 0;
    running_ = false;
    awaitingAnswer_ = false;
    ++generation_;
    steps_.clear();
}

bool StepRunner::completeNow(std::function<bool()> isComplete, bool& complete)
{
    const unsigned generation = generation_;
    complete = false;
    try {
        complete = isComplete && isComplete();
    } catch (...) {
        if (generation == generation_)
            stop(std::current_exception());
        return false;
    }
    return generation == generation_;
}

void StepRunner::answerStored()
{
    if (!running_ || !awaitingAnswer_)
        return;
    bool complete = false;
    if (!completeNow(steps_[next_ - 1].complete, complete) || !complete)
        return;
    awaitingAnswer_ = false;
    if (task_)
        scheduler_->cancel(task_);
    task_ = 0;
    answered(generation_);
}

void StepRunner::stop(std::exception_ptr error)
{
    abort();
    if (onError)
        onError(error);
}

bool StepRunner::passes(const Step& step)
{
    if (!step.check)
        return true;
    QString failure;
    try {
        failure = step.check();
    } catch (...) {
        stop(std::current_exception());
        return false;
    }
    if (failure.isEmpty())
        return true;
    stop(std::make_exception_ptr(Error(failure)));
    return false;
}

void StepRunner::answered(unsigned generation)
{
    if (generation != generation_ || !running_)
        return;
    if (!passes(steps_[next_ - 1]))
        return;
    dueNs_ = scheduler_->nowNs(); // pauses after an answer count from when it was examined
    advance();
}

void StepRunner::advance()
{
    const unsigned generation = generation_;
    while (running_ && generation == generation_ && next_ < steps_.size()) {
        const Step step = steps_[next_++]; // a copy: an action may insert steps (continueWith)
        if (step.kind == Step::Pause) {
            dueNs_ += qint64(step.ms) * 1000000;
            const qint64 leftNs = dueNs_ - scheduler_->nowNs();
            if (leftNs > 0) {
                task_ = scheduler_->after(int((leftNs + 999999) / 1000000), [this, generation] {
                    task_ = 0;
                    if (generation != generation_)
                        return;
                    // A check judges the answer: one still being received is stored first.
                    if (steps_[next_ - 1].check && afterAnswer)
                        afterAnswer([this, generation] {
                            if (generation == generation_ && running_ && passes(steps_[next_ - 1]))
                                advance();
                        });
                    else if (passes(steps_[next_ - 1]))
                        advance();
                });
                return;
            }
            if (!passes(step))
                return;
            continue;
        }
        if (step.kind == Step::Await) {
            task_ = scheduler_->after(step.ms, [this, generation] {
                task_ = 0;
                if (generation != generation_)
                    return;
                if (afterAnswer)
                    afterAnswer([this, generation] { answered(generation); });
                else
                    answered(generation);
            });
            return;
        }
        if (step.kind == Step::AwaitAnswer) {
            bool complete = false;
            if (!completeNow(step.complete, complete))
                return;
            if (complete) {
                if (!passes(step))
                    return;
                dueNs_ = scheduler_->nowNs();
                continue;
            }
            awaitingAnswer_ = true;
            task_ = scheduler_->after(step.ms, [this, generation] {
                task_ = 0;
                if (generation != generation_)
                    return;
                awaitingAnswer_ = false;
                if (afterAnswer)
                    afterAnswer([this, generation] { answered(generation); });
                else
                    answered(generation);
            });
            return;
        }
        try {
            if (step.kind == Step::Send)
                write_(step.bytes);
            else if (step.action)
                step.action();
        } catch (...) {
            if (generation != generation_)
                return; // the action ended the exchange itself before raising
            stop(std::current_exception());
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
