#pragma once
// The one call the SIM logic needs of a card: send a command APDU, get the response data and the
// status word. The PC/SC reader (Pcsc.h) and the tests' in-process card both give it.
//
// Thread contract: a channel is used by one thread at a time (the card worker of CardSim).
#include "KvaError.h"

#include <QByteArray>
#include <QString>

namespace kva::card {

struct Response {
    QByteArray data;
    quint16 sw = 0;

    quint8 sw1() const { return quint8(sw >> 8); }
    quint8 sw2() const { return quint8(sw & 0xFF); }
    bool ok() const { return sw == 0x9000; }
};

class CardChannel {
public:
    virtual ~CardChannel() = default;
    virtual Response transmit(const QByteArray& apdu) = 0;
};

// A failure of the card or the reader; the message is the Czech text shown to the user.
class CardError : public Error {
public:
    using Error::Error;
};

// The card's status word as a user reads it, in Czech, with the word itself:
// "karta odmítla přístup, PIN nebyl zadán (98 04)".
QString statusText(quint16 sw);

// An APDU as the dialogue log shows it: hexadecimal bytes separated by blanks; the data of a
// VERIFY command (the PIN) is replaced by "****".
QByteArray loggedApdu(const QByteArray& apdu);
// A response as the dialogue log shows it: the data, then the status word.
QByteArray loggedResponse(const Response& response);

} // namespace kva::card
