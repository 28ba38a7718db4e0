#include "PhonePreview.h"

#include "Characters.h"
#include "GsmAlphabet.h"
#include "PDU.h"
#include "SmsEncoding.h"

namespace kva::sms {
namespace {

constexpr quint8 Escape = 0x1B;

} // namespace

bool PhoneView::arrivesAsTyped() const
{
    for (const ShownCharacter& c : characters)
        if (c.typed != c.shown)
            return false;
    return true;
}

QList<ShownCharacter> PhoneView::changes() const
{
    QList<ShownCharacter> out;
    for (const ShownCharacter& c : characters) {
        if (c.typed == c.shown)
            continue;
        bool seen = false;
        for (const ShownCharacter& o : out)
            seen = seen || o.typed == c.typed;
        if (!seen)
            out.append(c);
    }
    return out;
}

PhoneView phoneView(const QString& text)
{
    // Exactly what the store sends: the window's encoding, then the user data after the header.
    TPduMessage message;
    encodeMessage(message, QString(), QString(), text);
    const QByteArray userData = message.PduText.mid(EncodeHeader(message).Text.size());
    const QByteArray septets = UnpackSeptets(userData);

    // Every Windows-1250 code is sent as one septet or one escape pair, so the phone's characters
    // line up one to one with the typed ones.
    QStringList shown;
    for (int i = 0; i < septets.size(); ++i) {
        const quint8 septet = static_cast<quint8>(septets[i]);
        if (septet == Escape && i + 1 < septets.size())
            shown.append(GsmEscapedDisplayChar(static_cast<quint8>(septets[++i])));
        else
            shown.append(GsmDisplayChar(septet));
    }

    PhoneView view;
    view.septets = septets.size();
    view.shown = shown.join(QString());
    const QStringList typed = splitCharacters(text);
    for (int i = 0; i < typed.size(); ++i)
        view.characters.append({typed[i], i < shown.size() ? shown[i] : QString()});
    return view;
}

QString previewLine(const PhoneView& view)
{
    if (view.arrivesAsTyped())
        return {};
    QString line = view.shown;
    for (QChar& c : line)
        if (!c.isPrint())
            c = u' ';
    return QStringLiteral("Příjemce uvidí: ") + line;
}

QString previewToolTip(const PhoneView& view)
{
    if (view.arrivesAsTyped())
        return {};
    QStringList changes;
    for (const ShownCharacter& c : view.changes())
        changes.append(visibleCharacter(c.typed) + QStringLiteral(" → ") + visibleCharacter(c.shown));
    return QStringLiteral("Telefon příjemce nezobrazí text tak, jak je napsán.\nMění se: ") +
           changes.join(QStringLiteral(", "));
}

} // namespace kva::sms
