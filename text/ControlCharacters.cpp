#include "ControlCharacters.h"

namespace kva {

QString blankControls(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (isControlCharacter(c.unicode()))
            c = u' ';
    return out;
}

} // namespace kva
