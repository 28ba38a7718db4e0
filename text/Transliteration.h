#pragma once
#include <QString>

namespace kva {

// Letters with diacritics as their plain forms: á → a, Č → C, ů → u, ő → o, ł → l, đ → d, and
// a combining mark after a plain letter is dropped. ß becomes "ss" as long as the text stays
// within lengthLimit characters (0: no limit) and stays ß beyond it. Every other character, and
// the order of all, is kept.
QString withoutDiacritics(const QString& text, int lengthLimit = 0);

// What "Nahradit diakritiku" makes of a text: withoutDiacritics, and typographic punctuation as
// plain ASCII: „ “ ” → ", ‚ ‘ ’ → ', the dashes – — and the minus sign → -, the non-breaking
// space → a space. Replacements longer than their character (… → "...", ° → "st.", ß → "ss")
// are made left to right while the text stays within lengthLimit (0: no limit); beyond it the
// character stays as it is.
QString plainText(const QString& text, int lengthLimit = 0);

} // namespace kva
