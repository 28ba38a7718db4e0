#include "Pcsc.h"

#include <winscard.h>
#include <wintypes.h>

#include <vector>

namespace kva::card {

namespace {

QString codeText(LONG code)
{
    return QStringLiteral("0x%1").arg(quint32(code), 8, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("0X"), QStringLiteral("0x"));
}

struct Context {
    SCARDCONTEXT handle = 0;
    Context()
    {
        const LONG rc = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &handle);
        if (rc != SCARD_S_SUCCESS)
            throw CardError(pcscErrorText(rc));
    }
    ~Context()
    {
        if (handle)
            SCardReleaseContext(handle);
    }
    SCARDCONTEXT release()
    {
        const SCARDCONTEXT h = handle;
        handle = 0;
        return h;
    }
};

} // namespace

QString pcscErrorText(long code)
{
    QString text;
    switch (LONG(code)) {
    case LONG(SCARD_E_NO_SERVICE):
    case LONG(SCARD_E_SERVICE_STOPPED):
        text = QStringLiteral("Služba čteček karet (pcscd) neběží. Nainstalujte balíčky pcscd a libccid "
                              "a spusťte ji (např. „systemctl start pcscd.socket“).");
        break;
    case LONG(SCARD_E_NO_READERS_AVAILABLE):
        text = QStringLiteral("Není připojena žádná čtečka karet. Připojte čtečku CCID se slotem na SIM.");
        break;
    case LONG(SCARD_E_UNKNOWN_READER):
    case LONG(SCARD_E_READER_UNAVAILABLE):
        text = QStringLiteral("Čtečka karet není připojena nebo byla odpojena.");
        break;
    case LONG(SCARD_E_NO_SMARTCARD):
    case LONG(SCARD_W_REMOVED_CARD):
        text = QStringLiteral("Ve čtečce není SIM karta (nebo nemá kontakt; zkontrolujte adaptér).");
        break;
    case LONG(SCARD_W_UNRESPONSIVE_CARD):
    case LONG(SCARD_W_UNPOWERED_CARD):
        text = QStringLiteral("SIM karta ve čtečce neodpovídá (špatný kontakt adaptéru nebo nepodporované napětí).");
        break;
    case LONG(SCARD_E_SHARING_VIOLATION):
        text = QStringLiteral("Čtečku karet právě používá jiný program (např. scdaemon nebo gsd-smartcard). "
                              "Ukončete ho a zkuste to znovu.");
        break;
    case LONG(SCARD_W_RESET_CARD):
        text = QStringLiteral("SIM karta byla mezitím resetována jiným programem.");
        break;
    case LONG(SCARD_E_PROTO_MISMATCH):
        text = QStringLiteral("Čtečka a karta se nedohodly na protokolu.");
        break;
    case LONG(SCARD_E_TIMEOUT):
        text = QStringLiteral("Čtečka karet neodpověděla včas.");
        break;
    case LONG(SCARD_E_NO_ACCESS):
        text = QStringLiteral("Přístup ke čtečce karet byl odepřen (v ssh nebo kontejneru jej může zakazovat polkit).");
        break;
    case LONG(SCARD_F_COMM_ERROR):
    case LONG(SCARD_E_NOT_TRANSACTED):
        text = QStringLiteral("Spojení s kartou se přerušilo (karta vytažena nebo čtečka odpojena).");
        break;
    default:
        text = QStringLiteral("Chyba čtečky karet.");
    }
    return QStringLiteral("%1 (PC/SC %2)").arg(text, codeText(LONG(code)));
}

QStringList pcscReaders()
{
    Context context;
    DWORD length = 0;
    LONG rc = SCardListReaders(context.handle, nullptr, nullptr, &length);
    if (rc == LONG(SCARD_E_NO_READERS_AVAILABLE))
        return {};
    if (rc != SCARD_S_SUCCESS)
        throw CardError(pcscErrorText(rc));
    std::vector<char> names(length + 1, '\0');
    rc = SCardListReaders(context.handle, nullptr, names.data(), &length);
    if (rc == LONG(SCARD_E_NO_READERS_AVAILABLE))
        return {};
    if (rc != SCARD_S_SUCCESS)
        throw CardError(pcscErrorText(rc));
    QStringList readers;
    for (const char* p = names.data(); *p; p += qstrlen(p) + 1)
        readers << QString::fromUtf8(p);
    return readers;
}

PcscCard::PcscCard(const QString& reader)
{
    Context context;
    const QByteArray name = reader.toUtf8();
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    LONG rc = SCardConnect(context.handle, name.constData(), SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0, &card, &protocol);
    if (rc == LONG(SCARD_E_PROTO_MISMATCH))
        rc = SCardConnect(context.handle, name.constData(), SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T1, &card, &protocol);
    if (rc != SCARD_S_SUCCESS)
        throw CardError(pcscErrorText(rc));
    t0_ = protocol == SCARD_PROTOCOL_T0;
    card_ = std::intptr_t(card);
    context_ = std::intptr_t(context.release());
}

PcscCard::~PcscCard()
{
    SCardDisconnect(SCARDHANDLE(card_), SCARD_RESET_CARD);
    SCardReleaseContext(SCARDCONTEXT(context_));
}

Response PcscCard::transmit(const QByteArray& apdu)
{
    const SCARD_IO_REQUEST* send = t0_ ? SCARD_PCI_T0 : SCARD_PCI_T1;
    unsigned char buffer[258 + 2];
    DWORD length = sizeof buffer;
    const LONG rc = SCardTransmit(SCARDHANDLE(card_), send, reinterpret_cast<const unsigned char*>(apdu.constData()),
                                  DWORD(apdu.size()), nullptr, buffer, &length);
    if (rc != SCARD_S_SUCCESS)
        throw CardError(pcscErrorText(rc));
    if (length < 2)
        throw CardError(QStringLiteral("SIM karta odpověděla neúplně (%1 bajtů).").arg(length));
    Response r;
    r.data = QByteArray(reinterpret_cast<const char*>(buffer), int(length - 2));
    r.sw = quint16(buffer[length - 2] << 8 | buffer[length - 1]);
    return r;
}

} // namespace kva::card
