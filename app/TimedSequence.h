#pragma once
// A fixed sequence of sends, actions and pauses ("send, pause 500 ms, send ...") run from the
// event loop, so that the window keeps painting during the pauses.
//
//   kva::Sequence s;
//   s.send(cmd5).pause(500).then([&] { gauge(50); }).pause(1000).send(cmd6);
//   runner.start(std::move(s));
//
// Thread contract: user-interface thread only (QTimer).
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <exception>
#include <functional>
#include <vector>

namespace kva {

class Sequence {
public:
    struct Step {
        enum Kind { Send, Pause, Action } kind;
        QByteArray bytes;             // Send
        int ms = 0;                   // Pause
        std::function<void()> action; // Action
    };

    // The bytes are fixed now: what a sequence sends does not change while it runs.
    Sequence& send(const QByteArray& bytes);
    // Converted to Windows-1250 now.
    Sequence& send(const QString& text);
    Sequence& send(const char* bytes) { return send(QByteArray(bytes)); }
    Sequence& pause(int ms);
    Sequence& then(std::function<void()> action);

    const std::vector<Step>& steps() const { return steps_; }
    int totalPauseMs() const;

private:
    std::vector<Step> steps_;
};

class SequenceRunner : public QObject {
    Q_OBJECT
public:
    // `write` sends the bytes of a Send step (it may throw).
    explicit SequenceRunner(std::function<void(const QByteArray&)> write, QObject* parent = nullptr);

    // Runs the steps in order. The steps before the first pause run before start() returns;
    // the others from the event loop. Each pause ends at a point counted from the start of
    // the sequence (the planned end of the previous pause plus its length), so pauses never
    // add up to more than their sum. A step that throws stops the sequence and hands the
    // exception to onError (no further step runs). Starting while running is refused (false).
    bool start(Sequence sequence);
    // No further step runs; onFinished and onError are not called.
    void abort();
    bool running() const { return running_; }

    std::function<void()> onFinished;
    std::function<void(std::exception_ptr)> onError;

private:
    void advance();

    std::function<void(const QByteArray&)> write_;
    std::vector<Sequence::Step> steps_;
    size_t next_ = 0;
    bool running_ = false;
    unsigned generation_ = 0;
    QElapsedTimer clock_;
    qint64 dueNs_ = 0; // planned end of the current pause, since the start
    QTimer timer_;
};

} // namespace kva
