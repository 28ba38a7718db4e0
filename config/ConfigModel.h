#pragma once
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace kva {

// The alarm reads its configuration from two SIM phone-book entries that look like
// international numbers ("+" and twelve digits): the options number (position 5, "Setup")
// and the times number (position 6, "Casy").

// The eleven two-way options, in the order of their groups on the page.
enum class Option {
    CallAuthentication,
    Relay2Mode,
    RepeatCall,
    AlarmSms,
    CreditKeeping,
    ControlNumbers,
    OptocouplerTest,
    ActionConfirmation,
    MonthlySms,
    Ok1ActivationLevel,
    SmsAuthentication,
};
constexpr int OptionCount = 11;

// The five time digits, in the order of their positions 9 … 13 in the times number.
enum class TimeDigit {
    AlarmRelayTime,
    DeactivationMinutes,
    DeactivationSeconds,
    AfterActivationMinutes,
    AfterActivationSeconds,
};
constexpr int TimeDigitCount = 5;

constexpr int NumberLength = 13;

// Character position (counted from 1) of an option in the options number: 13 … 5, 3, 2.
int optionPosition(Option option);
// Character position of a time digit in the times number: 9 … 13.
int timePosition(TimeDigit digit);

// Seconds lists offer "0", "10" … "90" and encode a tenth of the value; minutes lists offer
// "0" … "9" and encode the value itself.
bool isSecondsList(TimeDigit digit);
QStringList timeItems(TimeDigit digit);
// The digit a chosen list item encodes. Throws ConversionError for text that is no number.
QChar timeDigitForItem(TimeDigit digit, const QString& itemText);

// The configuration as held by the page: one character "0"/"1" per option (second choice =
// "1") and one digit character per time.
class ConfigModel {
public:
    ConfigModel() { reset(); }

    void reset() { resetOptions(); resetTimes(); }
    void resetOptions() { options_.fill(u'0'); }
    void resetTimes() { times_.fill(u'0'); }
    QChar option(Option o) const { return options_[index(o)]; }
    void setOption(Option o, bool secondChoice) { options_[index(o)] = secondChoice ? u'1' : u'0'; }
    QChar time(TimeDigit t) const { return times_[index(t)]; }
    void setTime(TimeDigit t, QChar digit) { times_[index(t)] = digit; }

    // "+", then positions 2 … 13; position 4 is always "0".
    QString optionsNumber() const;
    // "+0000000", then the five time digits.
    QString timesNumber() const;

private:
    template <class E>
    static int index(E e) { return static_cast<int>(e); }

    std::array<QChar, OptionCount> options_;
    std::array<QChar, TimeDigitCount> times_;
};

// Decoding an options number: the options whose position holds "1", in the order of the
// positions 13 … 5, 3, 2. Any other character, positions 1 and 4, and positions beyond the end
// of a short text select nothing.
QList<Option> optionsSelectedBy(const QString& number);

// Decoding a times number: for the positions 13, 12, 11, 10, 9 in this order, calls
// apply(digit, value 0 … 9). A position beyond the end of a short text is skipped. A character
// that is not a decimal digit throws ConversionError ("'x' is not a valid integer value") at
// that position; the positions applied before it stay applied.
void decodeTimes(const QString& number, const std::function<void(TimeDigit, int)>& apply);

// A configuration file (*.par): line 1 the options number, line 2 the times number, each
// ended by CR LF. Reading takes the two lines as they are (missing lines empty, no check);
// both throw FileError.
struct ParFile {
    QString optionsNumber;
    QString timesNumber;
};
ParFile readParFile(const QString& path);
void writeParFile(const QString& path, const ParFile& file);

} // namespace kva
