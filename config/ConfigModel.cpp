#include "ConfigModel.h"

#include "Convert.h"
#include "KvaError.h"
#include "LineFile.h"

namespace kva {
namespace {

// Positions of the options, in the order of the Option enumeration.
constexpr std::array<int, OptionCount> OptionPositions{13, 12, 11, 10, 9, 8, 7, 6, 5, 3, 2};

// Decoding order: from position 13 down.
constexpr std::array<Option, OptionCount> OptionsByPosition{
    Option::CallAuthentication, Option::Relay2Mode,     Option::RepeatCall,         Option::AlarmSms,
    Option::CreditKeeping,      Option::ControlNumbers, Option::OptocouplerTest,    Option::ActionConfirmation,
    Option::MonthlySms,         Option::Ok1ActivationLevel, Option::SmsAuthentication,
};
constexpr std::array<TimeDigit, TimeDigitCount> TimesByPosition{
    TimeDigit::AfterActivationSeconds, TimeDigit::AfterActivationMinutes, TimeDigit::DeactivationSeconds,
    TimeDigit::DeactivationMinutes,    TimeDigit::AlarmRelayTime,
};

} // namespace

int optionPosition(Option option)
{
    return OptionPositions[static_cast<int>(option)];
}

int timePosition(TimeDigit digit)
{
    return 9 + static_cast<int>(digit);
}

bool isSecondsList(TimeDigit digit)
{
    return digit == TimeDigit::AlarmRelayTime || digit == TimeDigit::DeactivationSeconds ||
           digit == TimeDigit::AfterActivationSeconds;
}

QStringList timeItems(TimeDigit digit)
{
    QStringList items;
    for (int d = 0; d <= 9; ++d)
        items << QString::number(isSecondsList(digit) ? d * 10 : d);
    return items;
}

QChar timeDigitForItem(TimeDigit digit, const QString& itemText)
{
    const int value = strToInt(itemText);
    const int d = isSecondsList(digit) ? value / 10 : value;
    if (d < 0 || d > 9) // the lists offer no such item; a digit it must stay
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(itemText));
    return QChar(u'0' + d);
}

QString ConfigModel::optionsNumber() const
{
    QString number(NumberLength, u'0');
    number[0] = u'+';
    for (int i = 0; i < OptionCount; ++i)
        number[OptionPositions[i] - 1] = options_[i];
    return number;
}

QString ConfigModel::timesNumber() const
{
    QString number = QStringLiteral("+0000000");
    for (QChar c : times_)
        number += c;
    return number;
}

QList<Option> optionsSelectedBy(const QString& number)
{
    QList<Option> selected;
    for (Option o : OptionsByPosition) {
        const int p = optionPosition(o);
        if (p <= number.size() && number[p - 1] == u'1')
            selected << o;
    }
    return selected;
}

void decodeTimes(const QString& number, const std::function<void(TimeDigit, int)>& apply)
{
    for (TimeDigit t : TimesByPosition) {
        const int p = timePosition(t);
        if (p > number.size())
            continue;
        apply(t, strToInt(QString(number[p - 1])));
    }
}

ParFile readParFile(const QString& path)
{
    const QStringList lines = readLineFile(path, 2);
    return {lines[0], lines[1]};
}

void writeParFile(const QString& path, const ParFile& file)
{
    writeLineFile(path, {file.optionsNumber, file.timesNumber});
}

} // namespace kva
