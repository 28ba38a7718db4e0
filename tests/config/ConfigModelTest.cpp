#include "ConfigModel.h"
#include "KvaError.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace kva;

namespace {

const Option AllOptions[] = {
    Option::CallAuthentication, Option::Relay2Mode,         Option::RepeatCall,         Option::AlarmSms,
    Option::CreditKeeping,      Option::ControlNumbers,     Option::OptocouplerTest,    Option::ActionConfirmation,
    Option::MonthlySms,         Option::Ok1ActivationLevel, Option::SmsAuthentication,
};

using Applied = std::vector<std::pair<TimeDigit, int>>;

Applied decode(const QString& number)
{
    Applied applied;
    decodeTimes(number, [&](TimeDigit t, int d) { applied.emplace_back(t, d); });
    return applied;
}

} // namespace

TEST(OptionsNumber, DefaultsGiveAllZeros)
{
    const ConfigModel model;
    EXPECT_EQ(model.optionsNumber(), QStringLiteral("+000000000000"));
    EXPECT_EQ(model.timesNumber(), QStringLiteral("+000000000000"));
}

TEST(OptionsNumber, EachOptionAloneSetsItsOwnDigit)
{
    const std::pair<Option, const char*> rows[] = {
        {Option::CallAuthentication, "+000000000001"}, {Option::Relay2Mode, "+000000000010"},
        {Option::RepeatCall, "+000000000100"},         {Option::AlarmSms, "+000000001000"},
        {Option::CreditKeeping, "+000000010000"},      {Option::ControlNumbers, "+000000100000"},
        {Option::OptocouplerTest, "+000001000000"},    {Option::ActionConfirmation, "+000010000000"},
        {Option::MonthlySms, "+000100000000"},         {Option::Ok1ActivationLevel, "+010000000000"},
        {Option::SmsAuthentication, "+100000000000"},
    };
    for (const auto& [option, expected] : rows) {
        ConfigModel model;
        model.setOption(option, true);
        EXPECT_EQ(model.optionsNumber(), QString::fromLatin1(expected)) << static_cast<int>(option);
        // decoding the number selects exactly that option again
        EXPECT_EQ(optionsSelectedBy(QString::fromLatin1(expected)), QList<Option>{option});
        model.setOption(option, false);
        EXPECT_EQ(model.optionsNumber(), QStringLiteral("+000000000000"));
    }
}

TEST(OptionsNumber, AllSecondChoicesLeavePositionFourZero)
{
    ConfigModel model;
    for (Option o : AllOptions)
        model.setOption(o, true);
    EXPECT_EQ(model.optionsNumber(), QStringLiteral("+110111111111"));
    model.resetOptions();
    EXPECT_EQ(model.optionsNumber(), QStringLiteral("+000000000000"));
}

TEST(OptionsDecoding, ReadsPositionsThirteenDownToTwoAndOnlyOne)
{
    const QList<Option> all = optionsSelectedBy(QStringLiteral("+111111111111"));
    EXPECT_EQ(all, (QList<Option>{Option::CallAuthentication, Option::Relay2Mode, Option::RepeatCall,
                                  Option::AlarmSms, Option::CreditKeeping, Option::ControlNumbers,
                                  Option::OptocouplerTest, Option::ActionConfirmation, Option::MonthlySms,
                                  Option::Ok1ActivationLevel, Option::SmsAuthentication}));
    EXPECT_TRUE(optionsSelectedBy(QStringLiteral("+001000000000")).isEmpty()); // position 4 is not read
    EXPECT_TRUE(optionsSelectedBy(QStringLiteral("1000000000000")).isEmpty()); // nor position 1
    EXPECT_TRUE(optionsSelectedBy(QStringLiteral("+2x9 -+ABCDEF")).isEmpty()); // only "1" selects
    EXPECT_EQ(optionsSelectedBy(QStringLiteral("+001000000001")), QList<Option>{Option::CallAuthentication});
    // anything after position 13 is ignored
    EXPECT_EQ(optionsSelectedBy(QStringLiteral("+0000000000011111")), QList<Option>{Option::CallAuthentication});
}

TEST(OptionsDecoding, ShortTextsReadNoFurtherThanTheirEnd)
{
    EXPECT_TRUE(optionsSelectedBy(QString()).isEmpty());
    EXPECT_EQ(optionsSelectedBy(QStringLiteral("+1")), QList<Option>{Option::SmsAuthentication});
    // twelve characters: position 12 is there, position 13 is missing
    EXPECT_EQ(optionsSelectedBy(QStringLiteral("+00000000001")), QList<Option>{Option::Relay2Mode});
    EXPECT_EQ(optionsSelectedBy(QStringLiteral("+11")), (QList<Option>{Option::Ok1ActivationLevel, Option::SmsAuthentication}));
}

TEST(TimesNumber, SecondsListsEncodeATenth)
{
    EXPECT_EQ(timeItems(TimeDigit::DeactivationSeconds).join(u','), QStringLiteral("0,10,20,30,40,50,60,70,80,90"));
    EXPECT_EQ(timeItems(TimeDigit::AfterActivationMinutes).join(u','), QStringLiteral("0,1,2,3,4,5,6,7,8,9"));
    EXPECT_EQ(timeDigitForItem(TimeDigit::DeactivationSeconds, QStringLiteral("30")), QChar(u'3'));
    EXPECT_EQ(timeDigitForItem(TimeDigit::DeactivationMinutes, QStringLiteral("7")), QChar(u'7'));
    EXPECT_THROW(timeDigitForItem(TimeDigit::DeactivationMinutes, QStringLiteral("12")), ConversionError);
}

TEST(TimesNumber, WorkedExampleEncodesAndDecodes)
{
    ConfigModel model;
    model.setTime(TimeDigit::AlarmRelayTime, timeDigitForItem(TimeDigit::AlarmRelayTime, QStringLiteral("90")));
    model.setTime(TimeDigit::DeactivationMinutes, timeDigitForItem(TimeDigit::DeactivationMinutes, QStringLiteral("2")));
    model.setTime(TimeDigit::DeactivationSeconds, timeDigitForItem(TimeDigit::DeactivationSeconds, QStringLiteral("30")));
    model.setTime(TimeDigit::AfterActivationMinutes, timeDigitForItem(TimeDigit::AfterActivationMinutes, QStringLiteral("1")));
    model.setTime(TimeDigit::AfterActivationSeconds, timeDigitForItem(TimeDigit::AfterActivationSeconds, QStringLiteral("0")));
    EXPECT_EQ(model.timesNumber(), QStringLiteral("+000000092310"));
    EXPECT_EQ(model.optionsNumber(), QStringLiteral("+000000000000")); // times do not touch the options

    // 1 min + 90 s and 2 min + 30 s are different encodings
    model.setTime(TimeDigit::DeactivationMinutes, u'1');
    model.setTime(TimeDigit::DeactivationSeconds, u'9');
    EXPECT_EQ(model.timesNumber(), QStringLiteral("+000000091910"));

    EXPECT_EQ(decode(QStringLiteral("+000000092310")),
              (Applied{{TimeDigit::AfterActivationSeconds, 0},
                       {TimeDigit::AfterActivationMinutes, 1},
                       {TimeDigit::DeactivationSeconds, 3},
                       {TimeDigit::DeactivationMinutes, 2},
                       {TimeDigit::AlarmRelayTime, 9}}));
}

TEST(TimesDecoding, NonDigitStopsWithTheConversionErrorAfterEarlierPositions)
{
    Applied applied;
    try {
        decodeTimes(QStringLiteral("+0000000923x5"), [&](TimeDigit t, int d) { applied.emplace_back(t, d); });
        ADD_FAILURE() << "no error for a non-digit";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'x' is not a valid integer value"));
    }
    EXPECT_EQ(applied, (Applied{{TimeDigit::AfterActivationSeconds, 5}})); // position 13 came first

    for (const char* bad : {"+00000000 000", "+00000000+000", "+00000000-000", "+00000000\xff" "000"}) {
        const QString number = QString::fromLatin1(bad);
        try {
            decode(number);
            ADD_FAILURE() << bad;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(number.mid(9, 1)));
        }
    }
    EXPECT_THROW(decode(QStringLiteral("+00000000000٣")), ConversionError); // digits of other scripts too
}

TEST(TimesDecoding, ShortTextsLeaveMissingPositionsAlone)
{
    EXPECT_TRUE(decode(QString()).empty());
    EXPECT_TRUE(decode(QStringLiteral("+0000000")).empty());
    EXPECT_EQ(decode(QStringLiteral("+00000007")), (Applied{{TimeDigit::AlarmRelayTime, 7}}));
    EXPECT_EQ(decode(QStringLiteral("+0000000123")), (Applied{{TimeDigit::DeactivationSeconds, 3},
                                                              {TimeDigit::DeactivationMinutes, 2},
                                                              {TimeDigit::AlarmRelayTime, 1}}));
    // positions 1 to 8 are not read; characters after 13 are ignored
    EXPECT_EQ(decode(QStringLiteral("abcdefgh00000xyz")).size(), 5u);
}
