#pragma once
#include "Options.h"
#include "Pacing.h"
#include "PhoneModel.h"
#include "Transcript.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace phonesim {

// Runs a PhoneModel on the master side of a pseudo-terminal. The master stays open for
// the whole run, so a client may open and close the device as often as it likes; while
// no client holds it, the line is polled every 20 ms instead of spinning on the hangup.
class PtyLine {
public:
    PtyLine(PhoneModel& model, const RunOptions& options, Transcript& transcript,
            std::function<void()> onStateChange);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    std::string open(); // creates the pty, returns the device path; throws std::runtime_error
    void run(int stopFd); // until stopFd becomes readable or the phone vanishes

private:
    struct Pending {
        int64_t due;
        std::string bytes;
    };

    void readInput(int64_t now);
    void schedule(const std::vector<Output>& out, int64_t now);
    void enqueue(int64_t due, std::string bytes);
    void sendDue(int64_t now);
    void lineClosed();
    void setRaw();

    PhoneModel& model_;
    Transcript& transcript_;
    std::function<void()> onStateChange_;
    int master_ = -1;
    bool closed_ = false;     // the client closed the device (reads give EIO)
    bool wantWrite_ = false;  // output waits for room in the pty
    Pacing pacing_;
    std::deque<Pending> pending_;
};

int64_t nowMs();

} // namespace phonesim
