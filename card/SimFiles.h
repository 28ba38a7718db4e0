#pragma once
// The alarm's files on a SIM, through a card channel: the phone book (EF_ADN 6F3A) and the
// messages (EF_SMS 6F3C) under DF_TELECOM (7F10), selected from the MF (3F00) one file at a
// time, and the PIN (CHV1).
//
// A GSM SIM speaks class A0: SELECT answers 9F xx and the description comes with GET RESPONSE.
// A card that refuses class A0 (6E xx, 6D xx) is spoken to as a USIM, class 00: SELECT with
// P2 = 04 answers an FCP template (62 …), 61 xx when it is to be fetched.
//
//   SimFiles files(channel);
//   files.open();
//   const SimFiles::Ef ef = files.select(SimFiles::Adn);
//   const SimFiles::Pin pin = files.pinState(ef, /*writing=*/true);
//   if (pin.needed) files.verify(typedPin);   // the rules of CardSim decide whether to call it
//   files.updateRecord(1, record);
//
// Every refusal throws CardError with the Czech text of the status word.
#include "CardChannel.h"

#include <QByteArray>
#include <QString>

namespace kva::card {

class SimFiles {
public:
    static constexpr quint16 Mf = 0x3F00;
    static constexpr quint16 Telecom = 0x7F10;
    static constexpr quint16 Adn = 0x6F3A;
    static constexpr quint16 Sms = 0x6F3C;

    enum class Kind { Gsm, Usim };

    // A linear fixed file. Access conditions of a GSM SIM: 0 always, 1 PIN, other never/admin;
    // a USIM's are not read (-1): whether the PIN is needed is found by trying.
    struct Ef {
        quint16 id = 0;
        int recordLength = 0;
        int records = 0;
        int readAccess = -1;
        int updateAccess = -1;
    };

    struct Pin {
        bool needed = false;  // what is about to be done needs the PIN and it was not given
        int triesLeft = 3;
        bool blocked = false; // no tries left: only the PUK (in a phone) unlocks it
    };

    struct Verified {
        bool accepted = false;
        int triesLeft = 0; // after a refusal
        bool blocked = false;
    };

    explicit SimFiles(CardChannel& channel) : channel_(channel) {}

    // Tells a GSM SIM from a USIM by selecting the MF in class A0.
    void open();
    Kind kind() const { return kind_; }

    // MF, DF_TELECOM, then the file; throws CardError when it is not a linear fixed file.
    Ef select(quint16 file);
    // Whether reading (and, when `writing`, updating) the selected file `ef` needs the PIN.
    Pin pinState(const Ef& ef, bool writing);
    // VERIFY CHV1 with `pin` (4 to 8 digits, checked before anything is sent). Sent once; a
    // refusal tells the tries left. Leaves the file `ef` selected again.
    Verified verify(const QString& pin, const Ef& ef);

    // Records of the selected file, 1-based.
    QByteArray readRecord(const Ef& ef, int record);
    void updateRecord(const Ef& ef, int record, const QByteArray& data);

    // 4 to 8 digits.
    static bool pinFormOk(const QString& pin);

private:
    Response send(const QByteArray& apdu);
    // SELECT of one file, with its description fetched.
    QByteArray selectOne(quint16 file);
    QByteArray cla() const;
    int chvTriesFromMf();

    CardChannel& channel_;
    Kind kind_ = Kind::Gsm;
    QByteArray mfDescription_;
};

// "čtení záznamu 3 telefonního seznamu SIM" etc.: which file a text names.
QString fileName(quint16 file);

} // namespace kva::card
