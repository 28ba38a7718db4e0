#pragma once
#include <QString>

namespace kva {

// Letters with diacritics as their plain forms: á → a, Č → C, ů → u, ő → o, ł → l, đ → d, and
// a combining mark after a plain letter is dropped. ß becomes "ss" as long as the text stays
// within lengthLimit characters (0: no limit) and stays ß beyond it. Every other character, and
// the order of all, is kept.
QString withoutDiacritics(const QString& text, int lengthLimit = 0);

} // namespace kva
