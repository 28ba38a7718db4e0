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

} // namespace

QString withoutDiacritics(const QString& text, int lengthLimit)
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
    // ß takes two letters: expanded while the limit leaves room, left to right.
    const bool limited = lengthLimit > 0;
    int room = limited ? lengthLimit - static_cast<int>(out.size()) : 0;
    for (int i = 0; i < out.size() && (!limited || room > 0); ++i) {
        if (out[i] == u'ß') {
            out.replace(i, 1, QStringLiteral("ss"));
            ++i;
            --room;
        }
    }
    return out;
}

} // namespace kva
