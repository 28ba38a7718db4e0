#include "SimFiles.h"

namespace kva::card {

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b += char(v);
    return b;
}

QByteArray fid(quint16 file) { return bytes({file >> 8, file & 0xFF}); }

[[noreturn]] void refuse(const QString& what, const Response& r)
{
    throw CardError(QStringLiteral("SIM odmítla %1: %2.").arg(what, statusText(r.sw)));
}

int at(const QByteArray& b, int i) { return i < b.size() ? quint8(b[i]) : -1; }

// A value of a BER-TLV inside a template: the first tag `tag` among the template's members.
QByteArray tlvValue(const QByteArray& fcp, int tag)
{
    int i = 0;
    if (at(fcp, 0) == 0x62)
        i = 2;
    while (i + 1 < fcp.size()) {
        const int t = at(fcp, i);
        const int len = at(fcp, i + 1);
        if (len < 0 || i + 2 + len > fcp.size())
            break;
        if (t == tag)
            return fcp.mid(i + 2, len);
        i += 2 + len;
    }
    return QByteArray();
}

} // namespace

QString fileName(quint16 file)
{
    switch (file) {
    case SimFiles::Mf: return QStringLiteral("hlavní adresář (3F00)");
    case SimFiles::Telecom: return QStringLiteral("adresář TELECOM (7F10)");
    case SimFiles::Adn: return QStringLiteral("telefonní seznam (6F3A)");
    case SimFiles::Sms: return QStringLiteral("zprávy SMS (6F3C)");
    default: return QStringLiteral("soubor %1").arg(file, 4, 16, QLatin1Char('0')).toUpper();
    }
}

bool SimFiles::pinFormOk(const QString& pin)
{
    if (pin.size() < 4 || pin.size() > 8)
        return false;
    for (QChar c : pin)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

Response SimFiles::send(const QByteArray& apdu)
{
    return channel_.transmit(apdu);
}

QByteArray SimFiles::cla() const
{
    return QByteArray(1, char(kind_ == Kind::Gsm ? 0xA0 : 0x00));
}

void SimFiles::open()
{
    kind_ = Kind::Gsm;
    const Response r = send(bytes({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00}));
    if (r.sw1() == 0x6E || r.sw1() == 0x6D) {
        kind_ = Kind::Usim;
        mfDescription_ = selectOne(Mf);
        return;
    }
    if (r.sw1() != 0x9F && !r.ok())
        refuse(QStringLiteral("výběr souboru %1").arg(fileName(Mf)), r);
    if (r.sw1() == 0x9F) {
        const Response d = send(bytes({0xA0, 0xC0, 0x00, 0x00, r.sw2()}));
        if (!d.ok())
            refuse(QStringLiteral("popis souboru %1").arg(fileName(Mf)), d);
        mfDescription_ = d.data;
    }
}

QByteArray SimFiles::selectOne(quint16 file)
{
    const QString what = QStringLiteral("výběr souboru %1").arg(fileName(file));
    if (kind_ == Kind::Gsm) {
        const Response r = send(cla() + bytes({0xA4, 0x00, 0x00, 0x02}) + fid(file));
        if (r.ok())
            return r.data;
        if (r.sw1() != 0x9F)
            refuse(what, r);
        const Response d = send(cla() + bytes({0xC0, 0x00, 0x00, r.sw2()}));
        if (!d.ok())
            refuse(what, d);
        return d.data;
    }
    const Response r = send(cla() + bytes({0xA4, 0x00, 0x04, 0x02}) + fid(file));
    if (r.ok())
        return r.data;
    if (r.sw1() != 0x61)
        refuse(what, r);
    const Response d = send(cla() + bytes({0xC0, 0x00, 0x00, r.sw2()}));
    if (!d.ok())
        refuse(what, d);
    return d.data;
}

SimFiles::Ef SimFiles::select(quint16 file)
{
    mfDescription_ = selectOne(Mf);
    selectOne(Telecom);
    const QByteArray d = selectOne(file);
    Ef ef;
    ef.id = file;
    if (kind_ == Kind::Gsm) {
        const int size = at(d, 2) << 8 | at(d, 3);
        if (d.size() < 15 || at(d, 6) != 0x04 || at(d, 13) != 0x01 || at(d, 14) <= 0)
            throw CardError(QStringLiteral("Soubor %1 na SIM nemá očekávanou podobu (záznamy pevné délky).").arg(fileName(file)));
        ef.recordLength = at(d, 14);
        ef.records = size / ef.recordLength;
        ef.readAccess = at(d, 8) >> 4;
        ef.updateAccess = at(d, 8) & 0x0F;
    } else {
        const QByteArray descriptor = tlvValue(d, 0x82);
        if (descriptor.size() < 5 || (at(descriptor, 0) & 0x07) != 0x02)
            throw CardError(QStringLiteral("Soubor %1 na SIM nemá očekávanou podobu (záznamy pevné délky).").arg(fileName(file)));
        ef.recordLength = at(descriptor, 2) << 8 | at(descriptor, 3);
        ef.records = at(descriptor, 4);
    }
    return ef;
}

int SimFiles::chvTriesFromMf()
{
    return at(mfDescription_, 18) & 0x0F;
}

SimFiles::Pin SimFiles::pinState(const Ef& ef, bool writing)
{
    Pin pin;
    if (kind_ == Kind::Gsm) {
        if (mfDescription_.size() < 19)
            throw CardError(QStringLiteral("SIM neposkytla stav PINu (popis hlavního adresáře má %1 bajtů).").arg(mfDescription_.size()));
        const bool enabled = (at(mfDescription_, 13) & 0x80) == 0;
        pin.triesLeft = chvTriesFromMf();
        pin.blocked = pin.triesLeft == 0;
        pin.needed = enabled && (ef.readAccess == 1 || (writing && ef.updateAccess == 1));
        return pin;
    }
    const Response r = send(cla() + bytes({0x20, 0x00, 0x01}));
    if (r.ok())
        return pin; // verified already or not enabled
    if (r.sw == 0x6983) {
        pin.blocked = true;
        pin.triesLeft = 0;
    } else if (r.sw1() == 0x63 && (r.sw2() & 0xF0) == 0xC0) {
        pin.triesLeft = r.sw2() & 0x0F;
    } else {
        refuse(QStringLiteral("dotaz na stav PINu"), r);
    }
    // Enabled: needed only when the file does not read without it.
    const Response probe = send(cla() + bytes({0xB2, 0x01, 0x04, ef.recordLength & 0xFF}));
    pin.needed = probe.sw == 0x6982 || pin.blocked;
    if (!pin.needed && !probe.ok())
        refuse(QStringLiteral("čtení záznamu 1 souboru %1").arg(fileName(ef.id)), probe);
    return pin;
}

SimFiles::Verified SimFiles::verify(const QString& pin, const Ef& ef)
{
    if (!pinFormOk(pin))
        throw CardError(QStringLiteral("PIN musí mít 4 až 8 číslic."));
    QByteArray data = pin.toLatin1();
    data.append(8 - data.size(), char(0xFF));
    const Response r = send(cla() + bytes({0x20, 0x00, 0x01, 0x08}) + data);
    data.fill(char(0xFF));
    Verified v;
    if (r.ok()) {
        v.accepted = true;
        return v;
    }
    if (kind_ == Kind::Gsm) {
        if (r.sw != 0x9804 && r.sw != 0x9840)
            refuse(QStringLiteral("ověření PINu"), r);
        select(ef.id); // the MF's description tells the tries left
        v.triesLeft = chvTriesFromMf();
    } else {
        if (r.sw == 0x6983)
            v.triesLeft = 0;
        else if (r.sw1() == 0x63 && (r.sw2() & 0xF0) == 0xC0)
            v.triesLeft = r.sw2() & 0x0F;
        else
            refuse(QStringLiteral("ověření PINu"), r);
    }
    v.blocked = v.triesLeft == 0;
    return v;
}

QByteArray SimFiles::readRecord(const Ef& ef, int record)
{
    const QString what = QStringLiteral("čtení záznamu %1 souboru %2").arg(record).arg(fileName(ef.id));
    if (record < 1 || record > ef.records)
        throw CardError(QStringLiteral("SIM nemá záznam %1 v souboru %2 (má jich %3).").arg(record).arg(fileName(ef.id)).arg(ef.records));
    Response r = send(cla() + bytes({0xB2, record, 0x04, ef.recordLength & 0xFF}));
    if (r.sw1() == 0x6C)
        r = send(cla() + bytes({0xB2, record, 0x04, r.sw2()}));
    if (!r.ok())
        refuse(what, r);
    if (r.data.size() != ef.recordLength)
        throw CardError(QStringLiteral("SIM vrátila při %1 %2 bajtů místo %3.").arg(what).arg(r.data.size()).arg(ef.recordLength));
    return r.data;
}

void SimFiles::updateRecord(const Ef& ef, int record, const QByteArray& data)
{
    const QString what = QStringLiteral("zápis záznamu %1 souboru %2").arg(record).arg(fileName(ef.id));
    if (record < 1 || record > ef.records)
        throw CardError(QStringLiteral("SIM nemá záznam %1 v souboru %2 (má jich %3).").arg(record).arg(fileName(ef.id)).arg(ef.records));
    if (data.size() != ef.recordLength)
        throw CardError(QStringLiteral("Záznam pro %1 má %2 bajtů, soubor na SIM %3.").arg(fileName(ef.id)).arg(data.size()).arg(ef.recordLength));
    const Response r = send(cla() + bytes({0xDC, record, 0x04, ef.recordLength & 0xFF}) + data);
    if (!r.ok() && r.sw1() != 0x91) // 91 xx: done, and the card has a command of its own
        refuse(what, r);
}

} // namespace kva::card
