#pragma once
#include <QString>
#include <QStringList>

namespace kva {

// The text character by character: a character outside the 16-bit range (a surrogate pair)
// is one entry, a lone surrogate another.
QStringList splitCharacters(const QString& text);

// A character as a tooltip can show it: itself, or "U+007F" for a control or other invisible
// character, "(nic)" for none.
QString visibleCharacter(const QString& character);

} // namespace kva
