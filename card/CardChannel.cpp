#include "CardChannel.h"

namespace kva::card {

namespace {

QString withWord(const QString& text, quint16 sw)
{
    const QByteArray word = QByteArray(1, char(sw >> 8)) + char(sw & 0xFF);
    return QStringLiteral("%1 (%2)").arg(text, QString::fromLatin1(word.toHex(' ').toUpper()));
}

} // namespace

QString statusText(quint16 sw)
{
    const int sw1 = sw >> 8;
    const int sw2 = sw & 0xFF;
    QString text;
    switch (sw) {
    case 0x9000: text = QStringLiteral("karta příkaz provedla"); break;
    case 0x9402: text = QStringLiteral("karta nemá záznam s tímto číslem"); break;
    case 0x9404: text = QStringLiteral("karta nemá hledaný soubor"); break;
    case 0x9408: text = QStringLiteral("soubor na kartě neodpovídá příkazu"); break;
    case 0x9802: text = QStringLiteral("na kartě není nastaven PIN"); break;
    case 0x9804: text = QStringLiteral("karta odmítla přístup: PIN nebyl zadán nebo je chybný"); break;
    case 0x9808: text = QStringLiteral("PIN je na kartě vypnutý"); break;
    case 0x9810: text = QStringLiteral("soubor na kartě je zneplatněný"); break;
    case 0x9840: text = QStringLiteral("PIN je zablokovaný, SIM odblokujte v telefonu kódem PUK"); break;
    case 0x9850: text = QStringLiteral("karta překročila nejvyšší hodnotu"); break;
    case 0x6700: text = QStringLiteral("karta odmítla délku příkazu"); break;
    case 0x6981: text = QStringLiteral("příkaz neodpovídá struktuře souboru na kartě"); break;
    case 0x6982: text = QStringLiteral("karta odmítla přístup: PIN nebyl zadán"); break;
    case 0x6983: text = QStringLiteral("PIN je zablokovaný, SIM odblokujte v telefonu kódem PUK"); break;
    case 0x6985: text = QStringLiteral("karta příkaz v tomto stavu nepřijímá"); break;
    case 0x6A82: text = QStringLiteral("karta nemá hledaný soubor"); break;
    case 0x6A83: text = QStringLiteral("karta nemá záznam s tímto číslem"); break;
    case 0x6A86: text = QStringLiteral("karta odmítla parametry příkazu"); break;
    case 0x6D00: text = QStringLiteral("karta příkaz nezná"); break;
    case 0x6E00: text = QStringLiteral("karta nepřijímá tuto třídu příkazů"); break;
    case 0x6F00: text = QStringLiteral("technická chyba karty"); break;
    default:
        if (sw1 == 0x9F || sw1 == 0x61)
            text = QStringLiteral("karta má připravenou odpověď (%1 bajtů)").arg(sw2);
        else if (sw1 == 0x63 && (sw2 & 0xF0) == 0xC0)
            text = QStringLiteral("chybný PIN, zbývá pokusů: %1").arg(sw2 & 0x0F);
        else if (sw1 == 0x92)
            text = QStringLiteral("karta zápis provedla až na %1. pokus").arg(sw2 & 0x0F);
        else if (sw1 == 0x67)
            text = QStringLiteral("karta odmítla délku příkazu");
        else if (sw1 == 0x6B)
            text = QStringLiteral("karta odmítla parametry příkazu");
        else if (sw1 == 0x6C)
            text = QStringLiteral("karta žádá jinou délku odpovědi (%1 bajtů)").arg(sw2);
        else if (sw1 == 0x6D)
            text = QStringLiteral("karta příkaz nezná");
        else if (sw1 == 0x6E)
            text = QStringLiteral("karta nepřijímá tuto třídu příkazů");
        else if (sw1 == 0x6F)
            text = QStringLiteral("technická chyba karty");
        else if (sw1 == 0x65)
            text = QStringLiteral("paměť karty selhala při zápisu");
        else if (sw1 == 0x98)
            text = QStringLiteral("karta odmítla přístup");
        else
            text = QStringLiteral("karta odpověděla neznámým stavem");
    }
    return withWord(text, sw);
}

QByteArray loggedApdu(const QByteArray& apdu)
{
    const bool verify = apdu.size() > 5 && quint8(apdu[1]) == 0x20;
    if (!verify)
        return apdu.toHex(' ').toUpper();
    return apdu.left(5).toHex(' ').toUpper() + " ****";
}

QByteArray loggedResponse(const Response& response)
{
    QByteArray word = QByteArray(1, char(response.sw1())) + char(response.sw2());
    QByteArray text = response.data.toHex(' ').toUpper();
    if (!text.isEmpty())
        text += ' ';
    return text + word.toHex(' ').toUpper();
}

} // namespace kva::card
