#include "SmsEncoding.h"

#include "Cp1250.h"

namespace kva::sms {

quint16 encodeMessage(TPduMessage& message, const QString& centreNumber, const QString& number, const QString& text)
{
    message.SmscType = BinTextToByte("00000001");   // numbering plan E.164
    message.SmscNumber = toCp1250(centreNumber);
    message.FirstOctet = BinTextToByte("00010000"); // validity period present, relative format
    message.MessageRef = 0;
    message.DestType = BinTextToByte("00000001");
    message.DestNumber = toCp1250(number);
    message.ProtocolId = BinTextToByte("00000000");
    message.DataCoding = BinTextToByte("00000000"); // GSM 7-bit default alphabet
    message.ValidityPeriod[0] = 4;                  // 25 minutes
    message.MessageText = text;
    return EncodeSubmit(message, CharacterSelector);
}

EncodedSms encodePair(const QString& centreNumber, const Pair& pair)
{
    TPduMessage message;
    EncodedSms out;
    out.tpduLength = encodeMessage(message, centreNumber, pair.number, pair.text);
    out.pduText = message.PduText;
    return out;
}

std::array<EncodedSms, PairCount> encodeSet(const QString& centreNumber, const SmsSet& set)
{
    std::array<EncodedSms, PairCount> out;
    for (int i = 0; i < PairCount; ++i)
        out[i] = encodePair(centreNumber, set[i]);
    return out;
}

} // namespace kva::sms
