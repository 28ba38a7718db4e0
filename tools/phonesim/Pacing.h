#pragma once
#include "Options.h"
#include "PhoneModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace phonesim {

// A piece of the phone's output and the millisecond it is due on the line.
struct Timed {
    int64_t due;
    std::string bytes;
    bool operator==(const Timed& o) const { return due == o.due && bytes == o.bytes; }
};

// When the phone's output leaves: the echo at once, each answer --delay-ms after its command
// and never before the answer ahead of it, in --piece-bytes pieces --piece-gap-ms apart. Each
// piece is due a fixed time after the command, so a late piece does not push the next one back.
class Pacing {
public:
    explicit Pacing(const RunOptions& options)
        : delayMs_(options.delayMs), pieceBytes_(options.pieceBytes), pieceGapMs_(options.pieceGapMs)
    {
    }
    std::vector<Timed> schedule(const std::vector<Output>& out, int64_t now);

private:
    int delayMs_;
    int pieceBytes_;
    int pieceGapMs_;
    int64_t lastAnswerDue_ = 0;
};

} // namespace phonesim
