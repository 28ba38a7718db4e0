#include "Pacing.h"

#include <gtest/gtest.h>

using namespace phonesim;

namespace {

RunOptions paced(int delayMs, int pieceBytes, int pieceGapMs)
{
    RunOptions o;
    o.delayMs = delayMs;
    o.pieceBytes = pieceBytes;
    o.pieceGapMs = pieceGapMs;
    return o;
}

} // namespace

TEST(Pacing, EchoAtOnceAnswerDelayedInPiecesAtFixedTimes)
{
    Pacing pacing(paced(300, 3, 30));
    EXPECT_EQ(pacing.schedule({{Output::Echo, "AT\r"}, {Output::Answer, "\r\nOK\r\n"}}, 1000),
              (std::vector<Timed>{{1000, "AT\r"}, {1300, "\r\nO"}, {1330, "K\r\n"}}));
    // The next command's answer never overtakes the one ahead of it; its echo goes at once.
    EXPECT_EQ(pacing.schedule({{Output::Echo, "AT\r"}, {Output::Answer, "\r\nOK\r\n"}}, 1010),
              (std::vector<Timed>{{1010, "AT\r"}, {1330, "\r\nO"}, {1360, "K\r\n"}}));
    // Long after: counted from its own command again.
    EXPECT_EQ(pacing.schedule({{Output::Answer, "\r\nERROR\r\n"}}, 5000),
              (std::vector<Timed>{{5300, "\r\nE"}, {5330, "RRO"}, {5360, "R\r\n"}}));
}

TEST(Pacing, WithoutOptionsEverythingLeavesAtOnceAndWhole)
{
    Pacing pacing(RunOptions{});
    EXPECT_EQ(pacing.schedule({{Output::Echo, "AT+CMGR=1\r"}, {Output::Answer, "\r\n+CMGR: 0,,5\r\n"}}, 7),
              (std::vector<Timed>{{7, "AT+CMGR=1\r"}, {7, "\r\n+CMGR: 0,,5\r\n"}}));
}
