#pragma once
// The phone-number window's exchange with the phone as plain data: the commands it sends and
// the order, gauge values and decoding of the read. The window (Unit6Transfer.cpp) runs them.
#include "NumberEntries.h"
#include "WriteAnswer.h"

#include <QString>
#include <optional>

namespace kva::numbers {

// The probe step of a read and of a write (ExchangeStep values); the read steps are the SIM
// positions themselves (1, 2, 3, 4, 7).
constexpr int ReadProbeStep = 0;
constexpr int WriteProbeStep = 10;
// The write pauses this long after each of its five commands.
constexpr int WritePauseMs = 1500;
// From the probe or a read command to the examination of its answer.
constexpr int AnswerWaitMs = 300;

// What the write sends for one entry: the write command, or the delete command when the
// number is empty (the name of an entry without a number is not sent).
QString entryCommand(int position, const Entry& entry);
// What the phone must answer to entryCommand(): "OK" for a write; "OK" (or "invalid index" for
// an empty position) for a delete. `first`: the first command of the write.
kva::Confirmation entryConfirmation(int position, const Entry& entry, bool first);

// Index (0 … 4) of a SIM position among the entries; -1 for other positions.
int entryIndex(int position);
// The read steps: the position read after `position` (0 after the last one, 7), and the
// gauge value once `position` has been decoded (20, 40, 60, 80; 100 after 7).
int nextReadPosition(int position);
int gaugeAfterRead(int position);
// True for the values of ExchangeStep that are read steps of this window.
bool isReadStep(int step);

// The entry of `position` in ReplyBuffer: found only after the echo of that position's read
// command, with a result line naming that position; nothing when the position is empty or the
// answer is missing, late or unusable.
std::optional<Entry> decodeReadReply(const QString& reply, int position);

} // namespace kva::numbers
