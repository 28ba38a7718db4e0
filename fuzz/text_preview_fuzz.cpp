// Any text in an SMS or name field, as a loaded file gives it (first byte even: Windows-1250
// bytes) or as anything typed or pasted can (odd: UTF-16 code units, lone surrogates included).
// The preview lines up with the typed characters and agrees with what is sent; the replacement
// keeps the typing limit, removes every Windows-1250 letter with diacritics and is idempotent.
#include "Characters.h"
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "NameCharacters.h"
#include "PDU.h"
#include "PhonePreview.h"
#include "SmsEncoding.h"
#include "Transliteration.h"

#include <algorithm>

using kva::fuzz::check;

namespace {

QString textOf(const QByteArray& bytes)
{
    if (bytes.isEmpty() || (bytes[0] & 1) == 0)
        return kva::fromCp1250(bytes.mid(1));
    QString text;
    for (int i = 1; i + 1 < bytes.size(); i += 2)
        text.append(QChar(static_cast<char16_t>(static_cast<quint8>(bytes[i]) << 8 | static_cast<quint8>(bytes[i + 1]))));
    return text;
}

bool isWindows1250LetterWithDiacritics(QChar c)
{
    const QByteArray code = kva::toCp1250(QString(c));
    return c.unicode() >= 0x80 && code != "?" && c.isLetter() && c != u'µ' && c != u'ˇ';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = textOf(kva::fuzz::bytesOf(data, size));

    const kva::sms::PhoneView view = kva::sms::phoneView(text);
    check(view.characters.size() == kva::splitCharacters(text).size(), "preview does not line up with the typed characters");
    const int sent = static_cast<int>(kva::MapToGsm(kva::sms::CharacterSelector, kva::toCp1250(text)).size());
    check(view.septets == (sent & 0xFF), "preview counts other septets than the store sends");
    if (sent <= 0xFF) {
        QString joined;
        for (const kva::sms::ShownCharacter& c : view.characters)
            joined += c.shown;
        check(joined == view.shown, "characters do not add up to the preview");
    }
    check(view.arrivesAsTyped() == view.changes().isEmpty(), "changes disagree with arrivesAsTyped");
    check(kva::sms::previewLine(view).isEmpty() == view.arrivesAsTyped(), "preview line shown for a text that arrives as typed");
    check(kva::sms::previewToolTip(view).isEmpty() == view.arrivesAsTyped(), "tooltip disagrees with the mark");
    if (view.arrivesAsTyped() && sent <= 0xFF)
        check(view.shown == text, "a text that arrives as typed shows otherwise");

    constexpr int Limit = 50;
    const QString limited = kva::withoutDiacritics(text, Limit);
    check(limited.size() <= std::max<qsizetype>(Limit, text.size()), "replacement grows past the typing limit");
    check(kva::withoutDiacritics(limited, Limit) == limited, "replacement is not idempotent");
    const QString plain = kva::withoutDiacritics(text);
    check(std::none_of(plain.begin(), plain.end(), isWindows1250LetterWithDiacritics), "a letter with diacritics is left");
    check(plain.size() <= 2 * text.size(), "replacement more than doubles the text");

    check(kva::numbers::nameToolTip(text).isEmpty() == kva::numbers::unusualNameCharacters(text).isEmpty(),
          "name tooltip disagrees with the characters");
    return 0;
}
