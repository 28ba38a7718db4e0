#pragma once
// Which characters are control characters, and the one way text is rid of them before it goes
// into an AT command or a message. CR, LF, Ctrl-Z and ESC end or cut a command (Ctrl-Z sends a
// PDU, ESC cancels it), and the rest below 32 has no place in a name or a message either.
//
// The rule: a control character is a code below 32 (0x00-0x1F) or DEL (127, 0x7F). DEL counts:
// a phone may take it as a backspace while it reads a command line, and in a PDU text it is
// meaningless. Nothing above 127 is a control character here (C1 codes 0x80-0x9F included):
// the text is Windows-1250, where those codes are letters and signs.
#include <QString>

namespace kva {

constexpr bool isControlCharacter(char16_t c)
{
    return c < 32 || c == 127;
}

// `text` with every control character replaced by a blank (one for one: positions and
// length stay).
QString blankControls(const QString& text);

} // namespace kva
