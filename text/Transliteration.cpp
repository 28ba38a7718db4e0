#include "Transliteration.h"

namespace kva {
namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Letters that Unicode does not decompose into a base letter and a mark.
QChar ownPlainForm(QChar c)
{
    switch (c.unicode()) {
    case u'Ł': return u'L';
    case u'ł': return u'l';
    case u'Đ': return u'D';
    case u'đ': return u'd';
    case u'Ø': return u'O';
    case u'ø': return u'o';
    case u'ı': return u'i';
    default: return QChar();
    }
}

// The base letter when the canonical decomposition is a plain letter and marks only.
QChar decomposedPlainForm(QChar c)
{
    const QString parts = QString(c).normalized(QString::NormalizationForm_D);
    if (parts.size() < 2 || !isAsciiLetter(parts[0]))
        return QChar();
    for (int i = 1; i < parts.size(); ++i)
        if (parts[i].category() != QChar::Mark_NonSpacing)
            return QChar();
    return parts[0];
}

// Typographic punctuation with a plain ASCII form; the longer forms are applied within the limit.
QString punctuationPlainForm(QChar c)
{
    switch (c.unicode()) {
    case u'\u201E': // „
    case u'\u201C': // “
    case u'\u201D': // ”
        return QStringLiteral("\"");
    case u'\u201A': // ‚
    case u'\u2018': // ‘
    case u'\u2019': // ’
        return QStringLiteral("'");
    case u'\u2013': // –
    case u'\u2014': // —
    case u'\u2212': // minus sign
        return QStringLiteral("-");
    case u'\u00A0': // no-break space
        return QStringLiteral(" ");
    case u'\u2026': // …
        return QStringLiteral("...");
    case u'\u00B0': // °
        return QStringLiteral("st.");
    case u'\u00DF': // ß
        return QStringLiteral("ss");
    default:
        return QString();
    }
}

// Replaces each character that has a plain form, left to right; a form longer than one
// character only while the text stays within the limit. `punctuation` false: ß only.
QString expand(const QString& text, int lengthLimit, bool punctuation)
{
    const bool limited = lengthLimit > 0;
    int room = limited ? lengthLimit - static_cast<int>(text.size()) : 0;
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const QString plain = punctuation || c == u'\u00DF' ? punctuationPlainForm(c) : QString();
        const int growth = static_cast<int>(plain.size()) - 1;
        if (plain.isEmpty() || (limited && growth > room)) {
            out.append(c);
            continue;
        }
        out.append(plain);
        room -= growth;
    }
    return out;
}

// Letters with diacritics as plain letters, one for one; ß stays.
QString foldLetters(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Mark_NonSpacing && !out.isEmpty() && (isAsciiLetter(out.back()) || out.back() == u'ß'))
            continue; // a mark typed apart from its letter
        QChar plain = c.unicode() < 0x80 ? QChar() : ownPlainForm(c);
        if (plain.isNull() && c.unicode() >= 0x80 && c.isLetter())
            plain = decomposedPlainForm(c);
        out.append(plain.isNull() ? c : plain);
    }
    return out;
}

} // namespace

QString withoutDiacritics(const QString& text, int lengthLimit)
{
    return expand(foldLetters(text), lengthLimit, false);
}

QString plainText(const QString& text, int lengthLimit)
{
    return expand(foldLetters(text), lengthLimit, true);
}

} // namespace kva
