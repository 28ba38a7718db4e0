#include "Characters.h"

namespace kva {

QStringList splitCharacters(const QString& text)
{
    QStringList out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        out.append(text.mid(i, pair ? 2 : 1));
        i += pair ? 1 : 0;
    }
    return out;
}

QString visibleCharacter(const QString& character)
{
    if (character.isEmpty())
        return QStringLiteral("(nic)");
    if (character.size() == 1 && !character[0].isPrint())
        return QStringLiteral("U+") + QString::number(character[0].unicode(), 16).toUpper().rightJustified(4, u'0');
    return character;
}

} // namespace kva
