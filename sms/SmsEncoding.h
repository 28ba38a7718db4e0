#pragma once
#include "PDU.h"
#include "SmsSet.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace kva::sms {

// The window always encodes with character-set selector 2.
constexpr int CharacterSelector = 2;

// What the store sends for one pair: "AT+CMGW=" + tpduLength, then pduText and Ctrl-Z.
struct EncodedSms {
    QByteArray pduText;
    quint16 tpduLength = 0;
};

// Sets the fields of `message` as every message of the window is sent (SMS-SUBMIT, E.164
// numbering plan, relative validity period of 25 minutes, 7-bit text), then EncodeSubmit.
// Numbers go in as Windows-1250 ("?" for a character it lacks). UserDataHeader is left as it is.
// Returns the TPDU length; the PDU is in message.PduText.
quint16 encodeMessage(TPduMessage& message, const QString& centreNumber, const QString& number, const QString& text);

EncodedSms encodePair(const QString& centreNumber, const Pair& pair);
std::array<EncodedSms, PairCount> encodeSet(const QString& centreNumber, const SmsSet& set);

} // namespace kva::sms
