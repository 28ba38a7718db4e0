#include "NameCharacters.h"

#include "Characters.h"
#include "Transliteration.h"

namespace kva::numbers {
namespace {

bool isPlain(const QString& c)
{
    static const QString punctuation = QStringLiteral(" !#$%&'()*+,-./:;<=>?_");
    if (c.size() != 1)
        return false;
    const char16_t u = c[0].unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || punctuation.contains(c[0]);
}

} // namespace

QStringList unusualNameCharacters(const QString& name)
{
    QStringList out;
    for (const QString& c : splitCharacters(name))
        if (!isPlain(c) && !out.contains(c))
            out.append(c);
    return out;
}

QString nameToolTip(const QString& name)
{
    const QStringList unusual = unusualNameCharacters(name);
    if (unusual.isEmpty())
        return {};
    QStringList shown;
    for (const QString& c : unusual)
        shown.append(visibleCharacter(c));
    return QStringLiteral("Názvy telefonních čísel zadávejte bez diakritiky, jinak nebudou uložena !\nNevhodné znaky: ") +
           shown.join(QStringLiteral(", "));
}

QString plainName(const QString& name, int lengthLimit)
{
    return plainText(name, lengthLimit).replace(u'"', u'\'');
}

} // namespace kva::numbers
