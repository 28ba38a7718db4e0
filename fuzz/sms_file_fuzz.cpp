// A *.sms file from anywhere: loading takes any bytes and agrees with the line splitter, what is
// loaded saves and loads back unchanged, and every loaded pair encodes to a PDU that decodes to
// its own destination.
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "LineFile.h"
#include "PhoneNumberText.h"
#include "SevenBit.h"
#include "SmsEncoding.h"
#include "SmsSet.h"

using namespace kva::sms;
using kva::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const kva::fuzz::ScratchFile input("in.sms");
    static const kva::fuzz::ScratchFile saved("out.sms");
    const QByteArray bytes = kva::fuzz::bytesOf(data, size);

    input.write(bytes);
    const SmsSet set = loadSmsFile(input.path());
    check(set == fromFileLines(kva::splitLines(bytes, FileLineCount)), "file reader and splitter disagree");

    saveSmsFile(saved.path(), set);
    check(loadSmsFile(saved.path()) == set, "saved SMS file does not load back unchanged");

    // The window refuses to send a set that fails the check; a set that passes must encode.
    const QString centre = defaultCentreNumber();
    if (!Kontrola(centre, set))
        return 0;
    for (const Pair& pair : set) {
        check(pair.number.isEmpty() || kva::isInternationalNumber(pair.number),
              "check passed a destination that is neither empty nor '+' and twelve digits");
        if (pair.text.size() > TextTypingLimit)
            continue; // longer than the window lets anyone type
        const EncodedSms encoded = encodePair(centre, pair);
        kva::TPduMessage back;
        back.PduText = encoded.pduText;
        kva::DecodePdu(back, CharacterSelector);
        check(back.SmscNumber == kva::toCp1250(centre), "SMS centre does not decode back");
        check(back.DestNumber == kva::toCp1250(pair.number), "destination does not decode back");
        // Packing loses nothing: the text comes back as the table maps it both ways.
        const QByteArray text = kva::toCp1250(pair.text);
        const QByteArray mapped = kva::fuzz::sevenBitRoundTrip(CharacterSelector, text);
        check(back.MessageText == kva::fromCp1250(mapped), "text does not decode back");
    }
    return 0;
}
