// What the program writes to the phone comes back through the reply readers unchanged: a
// phone-book entry written with AT+CPBW and read with AT+CPBR, and an SMS stored with AT+CMGW
// and read with AT+CMGR, against the simulated phone. Entries and messages are made from the
// fuzz input; the reply also holds the late answer to the read before it.
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "PDU.h"
#include "PhoneModel.h"
#include "AtCommands.h"
#include "AtSim.h"
#include "PhoneReply.h"
#include "SmsEncoding.h"
#include "SmsTransfer.h"

#include <string>

using namespace kva;
using kva::fuzz::check;

namespace {

QString talk(phonesim::PhoneModel& phone, const QString& command)
{
    return fromCp1250(QByteArray::fromStdString(phonesim::joined(phone.feed(toCp1250(command).toStdString()))));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 14)
        return 0;
    const int position = 1 + data[0] % 7;
    const int before = position % 7 + 1; // the read that answered late
    QString number = QStringLiteral("+");
    for (int i = 1; i <= 12; ++i)
        number += QChar(u'0' + data[i] % 10);
    // A name as the page takes it: printable Windows-1250 without double quotes, up to 50.
    QByteArray nameBytes;
    for (size_t i = 13; i < size && nameBytes.size() < 50; ++i)
        if (data[i] >= 32 && data[i] != '"' && data[i] != 127)
            nameBytes.append(char(data[i]));
    const QString name = fromCp1250(nameBytes);

    phonesim::PhoneModel phone;
    talk(phone, phoneBookWriteCommand(before, QStringLiteral("+420603123456"), QStringLiteral("Jiny")));
    talk(phone, phoneBookWriteCommand(position, number, name));
    const QString reply = talk(phone, phoneBookReadCommand(before)) + talk(phone, phoneBookReadCommand(position));
    const PhoneBookEntry entry = phoneBookEntry(reply, position);
    check(entry.present, "written entry not found in the answer");
    check(entry.number == number, "number does not come back");
    check(entry.name == name, "name does not come back");
    const sim::PositionResult read = at::phoneBookResult(talk(phone, phoneBookReadCommand(position)), position);
    check(read.found() && read.entry.number == number && read.entry.name == name, "the pages' read finds another entry");

    // The SMS window's store and read: the text of the entry as message text, the commands as
    // the store and the read send them.
    const sms::EncodedSms sent = sms::encodePair(sms::defaultCentreNumber(), sms::Pair{number, name.left(sms::TextTypingLimit)});
    talk(phone, QString::fromLatin1(smsDeleteCommand(position)));
    talk(phone, QString::fromLatin1(smsAnnounceCommand(sent.tpduLength)));
    const QString stored = talk(phone, fromCp1250(smsPduCommand(sent.pduText)));
    check(stored.contains(QStringLiteral("+CMGW: ")), "phone refused the PDU the program built");
    const int slot = stored.mid(stored.indexOf(QStringLiteral("+CMGW: ")) + 7).section(u'\r', 0, 0).toInt();
    check(slot >= 1 && slot <= 9, "stored outside the nine positions");
    const QString answers = talk(phone, smsReadCommand(slot % 9 + 1)) + talk(phone, smsReadCommand(slot));
    const QString line = pduLine(answers, slot);
    check(line.compare(QString::fromLatin1(sent.pduText), Qt::CaseInsensitive) == 0, "PDU line does not come back");
    TPduMessage back;
    back.PduText = line.toLatin1();
    DecodePdu(back, sms::CharacterSelector);
    check(back.DestNumber == toCp1250(number), "destination does not come back");
    return 0;
}
