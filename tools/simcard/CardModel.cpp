#include "CardModel.h"

#include <QFile>
#include <QThread>

#include <stdexcept>

namespace kva::simcard {

namespace {

QByteArray sw(quint16 word) { return QByteArray(1, char(word >> 8)) + char(word & 0xFF); }

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b += char(v);
    return b;
}

constexpr int SmsLength = 176;

} // namespace

CardModel::CardModel(const Options& options) : options_(options), tries_(options.pinTries)
{
    for (int i = 0; i < options_.adnRecords; ++i)
        adn_.append(QByteArray(options_.adnRecordLength, char(0xFF)));
    QByteArray freeSms(SmsLength, char(0xFF));
    freeSms[0] = 0;
    for (int i = 0; i < options_.smsRecords; ++i)
        sms_.append(freeSms);
}

QByteArray CardModel::atr() const
{
    return bytes({0x3B, 0x02, 0x14, 0x50}); // direct convention, T=0, two historical bytes
}

void CardModel::powerOn()
{
    verified_ = false;
    current_ = Mf;
    pending_.clear();
}

QByteArray CardModel::logged(const QByteArray& apdu)
{
    if (apdu.size() > 5 && quint8(apdu[1]) == 0x20)
        return apdu.left(5).toHex(' ').toUpper() + " ****";
    return apdu.toHex(' ').toUpper();
}

QList<QByteArray>* CardModel::records(quint16 file)
{
    return file == Adn ? &adn_ : file == Sms ? &sms_ : nullptr;
}

const QList<QByteArray>* CardModel::records(quint16 file) const
{
    return file == Adn ? &adn_ : file == Sms ? &sms_ : nullptr;
}

int CardModel::recordLength(quint16 file) const
{
    return file == Adn ? options_.adnRecordLength : SmsLength;
}

bool CardModel::selectable(quint16 file) const
{
    return file == Mf || file == Telecom || file == Adn || file == Sms;
}

QByteArray CardModel::record(quint16 file, int n) const
{
    const auto* list = records(file);
    return list && n >= 1 && n <= list->size() ? list->at(n - 1) : QByteArray();
}

void CardModel::setRecord(quint16 file, int n, const QByteArray& bytes)
{
    auto* list = records(file);
    if (list && n >= 1 && n <= list->size() && bytes.size() == recordLength(file))
        (*list)[n - 1] = bytes;
}

// GSM 11.11 descriptions: of the MF and DF (22 bytes, CHV1 status in byte 19) and of an EF.
QByteArray CardModel::description(quint16 file) const
{
    if (file == Mf || file == Telecom) {
        const int chv1 = 0x80 | tries_;
        return bytes({0, 0, 0x10, 0x00, file >> 8, file & 0xFF, file == Mf ? 0x01 : 0x02, 0, 0, 0, 0, 0, 0x09,
                      options_.pinEnabled ? 0x00 : 0x80, file == Mf ? 1 : 0, file == Mf ? 0 : 2, 2, 0, chv1, 0x8A,
                      0x83, 0x8A});
    }
    const int length = recordLength(file);
    const int size = length * int(records(file)->size());
    return bytes({0, 0, size >> 8, size & 0xFF, file >> 8, file & 0xFF, 0x04, 0, 0x11, 0x00, 0x44, 0x01, 0x02, 0x01,
                  length});
}

// The FCP template a USIM answers SELECT with.
QByteArray CardModel::fcp(quint16 file) const
{
    QByteArray inner;
    if (file == Mf || file == Telecom) {
        inner = bytes({0x82, 0x02, 0x78, 0x21, 0x83, 0x02, file >> 8, file & 0xFF});
    } else {
        const int length = recordLength(file);
        const int count = int(records(file)->size());
        const int size = length * count;
        inner = bytes({0x82, 0x05, 0x42, 0x21, length >> 8, length & 0xFF, count, 0x83, 0x02, file >> 8, file & 0xFF,
                       0x80, 0x02, size >> 8, size & 0xFF});
    }
    return bytes({0x62, int(inner.size())}) + inner;
}

QByteArray CardModel::process(const QByteArray& apdu)
{
    if (pulled_)
        return QByteArray();
    if (options_.slowMs > 0)
        QThread::msleep(ulong(options_.slowMs));
    if (apdu.size() < 4)
        return sw(0x6700);
    const int cla = quint8(apdu[0]);
    if (cla == 0xA0)
        return options_.usimOnly ? sw(0x6E00) : gsm(apdu);
    if (cla == 0x00)
        return options_.usimOnly ? usim(apdu) : sw(0x6E00);
    return sw(0x6E00);
}

QByteArray CardModel::readRecord(int n, int le, bool classic)
{
    const auto* list = records(current_);
    if (!list)
        return sw(classic ? 0x9408 : 0x6981);
    if (options_.pinEnabled && !verified_)
        return sw(classic ? 0x9804 : 0x6982);
    if (n < 1 || n > list->size())
        return sw(classic ? 0x9402 : 0x6A83);
    const int length = recordLength(current_);
    if (le != length % 256)
        return sw(classic ? quint16(0x6700 | length) : quint16(0x6C00 | length));
    return list->at(n - 1) + sw(0x9000);
}

QByteArray CardModel::updateRecord(int n, const QByteArray& data, bool classic)
{
    auto* list = records(current_);
    if (!list)
        return sw(classic ? 0x9408 : 0x6981);
    if (options_.pinEnabled && !verified_)
        return sw(classic ? 0x9804 : 0x6982);
    if (n < 1 || n > list->size())
        return sw(classic ? 0x9402 : 0x6A83);
    if (data.size() != recordLength(current_))
        return sw(quint16(0x6700 | (recordLength(current_) & 0xFF)));
    if (options_.refuseUpdate)
        return sw(options_.refuseUpdate);
    if (options_.pullAfterWrites >= 0 && updates_ >= options_.pullAfterWrites) {
        // Pulled while the record was being written: half of it is new.
        QByteArray& record = (*list)[n - 1];
        record.replace(0, data.size() / 2, data.left(data.size() / 2));
        pulled_ = true;
        return QByteArray();
    }
    (*list)[n - 1] = data;
    ++updates_;
    return sw(0x9000);
}

QByteArray CardModel::verify(const QByteArray& data, bool classic)
{
    if (!options_.pinEnabled)
        return sw(classic ? 0x9808 : 0x9000);
    if (tries_ == 0)
        return sw(classic ? 0x9840 : 0x6983);
    if (data.isEmpty()) // class 00 only: the tries left, none spent
        return verified_ ? sw(0x9000) : sw(quint16(0x63C0 | tries_));
    QByteArray expected = options_.pin.toLatin1();
    expected.append(8 - expected.size(), char(0xFF));
    if (data == expected) {
        tries_ = 3;
        verified_ = true;
        return sw(0x9000);
    }
    --tries_;
    verified_ = false;
    if (tries_ == 0)
        return sw(classic ? 0x9840 : 0x6983);
    return sw(classic ? 0x9804 : quint16(0x63C0 | tries_));
}

QByteArray CardModel::gsm(const QByteArray& apdu)
{
    const int ins = quint8(apdu[1]), p1 = quint8(apdu[2]), p2 = quint8(apdu[3]);
    const int p3 = apdu.size() > 4 ? quint8(apdu[4]) : 0;
    const QByteArray data = apdu.mid(5);
    switch (ins) {
    case 0xA4: {
        if (p1 != 0 || p2 != 0)
            return sw(0x6B00);
        if (p3 != 2 || data.size() != 2)
            return sw(0x6702);
        const quint16 file = quint16(quint8(data[0]) << 8 | quint8(data[1]));
        if (!selectable(file))
            return sw(0x9404);
        current_ = file;
        pending_ = description(file);
        return sw(quint16(0x9F00 | pending_.size()));
    }
    case 0xC0:
        if (pending_.isEmpty())
            return sw(0x6F00);
        if (p3 > pending_.size())
            return sw(quint16(0x6700 | pending_.size()));
        return pending_.left(p3) + sw(0x9000);
    case 0xB2:
        if (p2 != 0x04)
            return sw(0x6B00);
        return readRecord(p1, p3, true);
    case 0xDC:
        if (p2 != 0x04)
            return sw(0x6B00);
        if (data.size() != p3)
            return sw(0x6700);
        return updateRecord(p1, data, true);
    case 0x20:
        if (p1 != 0 || p2 != 1)
            return sw(0x6B00);
        if (p3 != 8 || data.size() != 8)
            return sw(0x6708);
        return verify(data, true);
    case 0x2C: // UNBLOCK CHV: never expected from the program under test
        return sw(0x9804);
    default:
        return sw(0x6D00);
    }
}

QByteArray CardModel::usim(const QByteArray& apdu)
{
    const int ins = quint8(apdu[1]), p1 = quint8(apdu[2]), p2 = quint8(apdu[3]);
    const int p3 = apdu.size() > 4 ? quint8(apdu[4]) : 0;
    const QByteArray data = apdu.mid(5);
    switch (ins) {
    case 0xA4: {
        if (p1 != 0 || (p2 != 0x04 && p2 != 0x0C))
            return sw(0x6A86);
        if (data.size() != 2)
            return sw(0x6700);
        const quint16 file = quint16(quint8(data[0]) << 8 | quint8(data[1]));
        if (!selectable(file))
            return sw(0x6A82);
        current_ = file;
        if (p2 == 0x0C)
            return sw(0x9000);
        pending_ = fcp(file);
        return sw(quint16(0x6100 | pending_.size()));
    }
    case 0xC0:
        if (pending_.isEmpty())
            return sw(0x6985);
        if (p3 > pending_.size())
            return sw(quint16(0x6C00 | pending_.size()));
        return pending_.left(p3) + sw(0x9000);
    case 0xB2:
        if (p2 != 0x04)
            return sw(0x6A86);
        return readRecord(p1, p3, false);
    case 0xDC:
        if (p2 != 0x04)
            return sw(0x6A86);
        return updateRecord(p1, data, false);
    case 0x20:
        if (p1 != 0 || p2 != 1)
            return sw(0x6A86);
        if (apdu.size() == 4)
            return verify(QByteArray(), false);
        if (data.size() != 8)
            return sw(0x6700);
        return verify(data, false);
    default:
        return sw(0x6D00);
    }
}

void CardModel::save(const QString& path) const
{
    QByteArray text = "tries " + QByteArray::number(tries_) + '\n';
    const auto add = [&](const char* name, const QList<QByteArray>& list, const QByteArray& free) {
        for (int i = 0; i < list.size(); ++i)
            if (list[i] != free)
                text += QByteArray(name) + ' ' + QByteArray::number(i + 1) + ' ' + list[i].toHex().toUpper() + '\n';
    };
    add("adn", adn_, QByteArray(options_.adnRecordLength, char(0xFF)));
    QByteArray freeSms(SmsLength, char(0xFF));
    freeSms[0] = 0;
    add("sms", sms_, freeSms);
    const QString temporary = path + QStringLiteral(".new");
    QFile f(temporary);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.flush())
        throw std::runtime_error("cannot write " + temporary.toStdString());
    f.close();
    QFile::remove(path);
    if (!QFile::rename(temporary, path))
        throw std::runtime_error("cannot rename to " + path.toStdString());
}

void CardModel::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 2 && words[0] == "tries")
            tries_ = words[1].toInt();
        else if (words.size() == 3 && (words[0] == "adn" || words[0] == "sms"))
            setRecord(words[0] == "adn" ? Adn : Sms, words[1].toInt(), QByteArray::fromHex(words[2]));
    }
}

} // namespace kva::simcard
