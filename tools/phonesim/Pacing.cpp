#include "Pacing.h"

#include <algorithm>

namespace phonesim {

std::vector<Timed> Pacing::schedule(const std::vector<Output>& out, int64_t now)
{
    std::vector<Timed> timed;
    for (const auto& o : out) {
        if (o.kind == Output::Echo) {
            timed.push_back({now, o.bytes});
            continue;
        }
        int64_t due = std::max(now + delayMs_ + o.extraDelayMs, lastAnswerDue_);
        const size_t step = pieceBytes_ > 0 ? static_cast<size_t>(pieceBytes_) : o.bytes.size();
        for (size_t i = 0; i < o.bytes.size(); i += step) {
            if (i > 0)
                due += pieceGapMs_;
            timed.push_back({due, o.bytes.substr(i, step)});
        }
        lastAnswerDue_ = due;
    }
    return timed;
}

} // namespace phonesim
