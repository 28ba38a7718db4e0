#pragma once
#include <QString>
#include <QStringList>
#include <array>

namespace kva::sms {

// The nine number/text pairs of the SMS window, in SIM position order 1 to 9.
constexpr int PairCount = 9;
constexpr int FileLineCount = 2 * PairCount;
constexpr int NumberTypingLimit = 13;
constexpr int TextTypingLimit = 50;

struct Pair {
    QString number;
    QString text;
    bool operator==(const Pair& o) const { return number == o.number && text == o.text; }
};
using SmsSet = std::array<Pair, PairCount>;

QString defaultCentreNumber(); // "+420603052000"
// Every number "+420603123456", texts "OK2", "OK3", "OK4", "Poplach", "Mesicni", "ZAP1" ...
SmsSet initialSet();
// "Vstup OK2" ... "RE2 vypnuto"
QString rowLabel(int index);

// The SMS-centre number passes only as "+" and twelve digits; a destination number also passes
// when empty. The texts are not examined.
bool isAcceptedCentreNumber(const QString& number);
bool isAcceptedDestination(const QString& number);
bool Kontrola(const QString& centreNumber, const SmsSet& set);

// The 18 lines of a *.sms file: number and text of each pair in turn.
QStringList toFileLines(const SmsSet& set);
SmsSet fromFileLines(const QStringList& lines); // missing lines give empty fields

// Write / read a *.sms file (Windows-1250, CR LF). Throw kva::FileError.
void saveSmsFile(const QString& path, const SmsSet& set);
SmsSet loadSmsFile(const QString& path);

} // namespace kva::sms
