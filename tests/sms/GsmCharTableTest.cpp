#include "PDU.h"

#include <gtest/gtest.h>

using namespace kva;

namespace {

struct TableRow {
    quint8 code;
    QByteArray septets;
};

void PrintTo(const TableRow& row, std::ostream* os)
{
    *os << "code 0x" << std::hex << int(row.code);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray one(int code)
{
    return bytes({code});
}

} // namespace

class SelectorTwoRow : public ::testing::TestWithParam<TableRow> {};

TEST_P(SelectorTwoRow, CodeIsSentAsItsSeptets)
{
    EXPECT_EQ(MapToGsm(2, one(GetParam().code)).toHex(), GetParam().septets.toHex());
}

INSTANTIATE_TEST_SUITE_P(
    EveryExceptionOfTheTable, SelectorTwoRow,
    ::testing::Values(
        TableRow{0x0C, bytes({0x1B, 0x0A})}, TableRow{0x10, bytes({0x0A})},
        TableRow{0x12, bytes({0x1B, 0x0A})}, TableRow{0x24, bytes({0x02})},
        TableRow{0x40, bytes({0x00})}, TableRow{0x5B, bytes({0x1B, 0x3C})},
        TableRow{0x5C, bytes({0x1B, 0x2F})}, TableRow{0x5D, bytes({0x1B, 0x3E})},
        TableRow{0x5E, bytes({0x1B, 0x14})}, TableRow{0x5F, bytes({0x11})},
        TableRow{0x7B, bytes({0x1B, 0x28})}, TableRow{0x7C, bytes({0x1B, 0x40})},
        TableRow{0x7D, bytes({0x1B, 0x29})}, TableRow{0x7E, bytes({0x1B, 0x3D})},
        TableRow{0x80, bytes({0x1B, 0x65})}, TableRow{0xA1, bytes({0x40})},
        TableRow{0xA3, bytes({0x01})}, TableRow{0xA4, bytes({0x24})},
        TableRow{0xA5, bytes({0x03})}, TableRow{0xA7, bytes({0x5F})},
        TableRow{0xBF, bytes({0x60})}, TableRow{0xC4, bytes({0x5B})},
        TableRow{0xC5, bytes({0x0E})}, TableRow{0xC6, bytes({0x1C})},
        TableRow{0xC7, bytes({0x09})}, TableRow{0xCA, bytes({0x1F})},
        TableRow{0xD1, bytes({0x5D})}, TableRow{0xD6, bytes({0x5C})},
        TableRow{0xD8, bytes({0x0B})}, TableRow{0xDC, bytes({0x5E})},
        TableRow{0xDF, bytes({0x1E})}, TableRow{0xE0, bytes({0x7F})},
        TableRow{0xE4, bytes({0x7B})}, TableRow{0xE5, bytes({0x0F})},
        TableRow{0xE6, bytes({0x1D})}, TableRow{0xE8, bytes({0x04})},
        TableRow{0xE9, bytes({0x05})}, TableRow{0xEC, bytes({0x07})},
        TableRow{0xF1, bytes({0x7D})}, TableRow{0xF2, bytes({0x08})},
        TableRow{0xF6, bytes({0x7C})}, TableRow{0xF8, bytes({0x0C})},
        TableRow{0xFA, bytes({0x06})}, TableRow{0xFC, bytes({0x7E})}));

TEST(GsmCharTable, PlainCodesKeepTheirValueAndTheRestHaveNoForm)
{
    auto plain = [](int c) {
        return c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0x23) || (c >= 0x25 && c <= 0x3F) ||
               (c >= 0x41 && c <= 0x5A) || (c >= 0x60 && c <= 0x7A) || c == 0x7F;
    };
    int plainCount = 0;
    int noForm = 0;
    for (int c = 0; c < 256; ++c) {
        if (plain(c)) {
            ++plainCount;
            EXPECT_EQ(GsmCharTable[2][c], c) << c;
        }
        if (GsmCharTable[2][c] == GsmNoForm)
            ++noForm;
    }
    EXPECT_EQ(plainCount, 87);
    EXPECT_EQ(noForm, 256 - 87 - 44); // 44 codes in the table of exceptions
}

TEST(GsmCharTable, SelectorsZeroAndOneDifferOnlyInTwoCodes)
{
    for (int c = 0; c < 256; ++c) {
        if (c == 0x80 || c == 0xA4)
            continue;
        EXPECT_EQ(GsmCharTable[0][c], GsmCharTable[2][c]) << c;
        EXPECT_EQ(GsmCharTable[1][c], GsmCharTable[2][c]) << c;
    }
    EXPECT_EQ(GsmCharTable[0][0x80], GsmNoForm);
    EXPECT_EQ(GsmCharTable[1][0x80], GsmNoForm);
    EXPECT_EQ(MapToGsm(0, one(0xA4)), bytes({0x24}));
    EXPECT_EQ(MapToGsm(1, one(0xA4)), bytes({0x1B, 0x65}));
    EXPECT_EQ(MapToGsm(7, one(0x80)), bytes({0x1B, 0x65})); // out of range counts as 2
    // Selector 1 sends the currency sign as the euro and reads the euro back as it.
    EXPECT_EQ(MapFromGsm(1, MapToGsm(1, one(0xA4))), one(0xA4));
}

struct DecodeRow {
    QByteArray septets;
    QByteArray text;
};

void PrintTo(const DecodeRow& row, std::ostream* os)
{
    *os << "septets " << row.septets.toHex().constData();
}

class LowestCodeRule : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(LowestCodeRule, SeptetsDecodeToTheLowestCode)
{
    EXPECT_EQ(MapFromGsm(2, GetParam().septets).toHex(), GetParam().text.toHex());
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, LowestCodeRule,
    ::testing::Values(DecodeRow{bytes({0x0A}), bytes({0x0A})},
                      DecodeRow{bytes({0x1B, 0x0A}), bytes({0x0C})},
                      DecodeRow{bytes({0x60}), bytes({0x60})},
                      DecodeRow{bytes({0x7F}), bytes({0x7F})}, // not 0xE0
                      DecodeRow{bytes({0x24}), bytes({0xA4})},
                      DecodeRow{bytes({0x02}), bytes({0x24})},
                      DecodeRow{bytes({0x00}), bytes({0x40})},
                      DecodeRow{bytes({0x1B, 0x65}), bytes({0x80})},
                      DecodeRow{bytes({0x10, 0x12, 0x15, 0x1A}), QByteArray()}, // Greek capitals
                      DecodeRow{bytes({0x41, 0x1B}), bytes({0x41})},            // trailing escape
                      DecodeRow{bytes({0x1B, 0x41, 0x42}), bytes({0x42})},      // unknown escape
                      DecodeRow{bytes({0x1B, 0x1B, 0x3C}), bytes({0x3C})},
                      DecodeRow{bytes({0xFF}), QByteArray()})); // not a septet

TEST(GsmCharTable, EveryCodeReadsBackAsTheWindowExpects)
{
    for (int c = 0; c < 256; ++c) {
        const QByteArray packed = PackSeptets(2, PackDirection::Pack, {}, one(c));
        const QByteArray text = PackSeptets(2, PackDirection::Unpack, {}, packed);
        int expected = c;
        if (GsmCharTable[2][c] == GsmNoForm || c == 0xE0)
            expected = 0x7F;
        else if (c == 0x10)
            expected = 0x0A;
        else if (c == 0x12)
            expected = 0x0C;
        else if (c == 0xBF)
            expected = 0x60;
        EXPECT_EQ(text, one(expected)) << "code " << c;
    }
}
