#include "ConfigModel.h"
#include "KvaError.h"
#include "QStringPrint.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace kva;

TEST(ParFile, DefaultsAreTwoNumbersEndedByCrLf)
{
    TempDir dir;
    const ConfigModel model;
    writeParFile(dir.path("d.par"), {model.optionsNumber(), model.timesNumber()});
    EXPECT_EQ(dir.read("d.par"), QByteArray("+000000000000\r\n+000000000000\r\n"));
}

TEST(ParFile, RoundTripIsByteExact)
{
    TempDir dir;
    const QByteArray bytes("+110111111111\r\n+000000092310\r\n");
    dir.write("in.par", bytes);
    const ParFile file = readParFile(dir.path("in.par"));
    EXPECT_EQ(file.optionsNumber, QStringLiteral("+110111111111"));
    EXPECT_EQ(file.timesNumber, QStringLiteral("+000000092310"));
    writeParFile(dir.path("out.par"), file);
    EXPECT_EQ(dir.read("out.par"), bytes);
    writeParFile(dir.path("in.par"), {QStringLiteral("+000000000001"), QStringLiteral("+000000000000")});
    EXPECT_EQ(dir.read("in.par"), QByteArray("+000000000001\r\n+000000000000\r\n")); // replaced, not appended
}

TEST(ParFile, AnyNumberOfLinesReadsAsTwo)
{
    TempDir dir;
    dir.write("empty.par", "");
    EXPECT_EQ(readParFile(dir.path("empty.par")).optionsNumber, QString());
    EXPECT_EQ(readParFile(dir.path("empty.par")).timesNumber, QString());
    dir.write("one.par", "+000000000001");
    EXPECT_EQ(readParFile(dir.path("one.par")).optionsNumber, QStringLiteral("+000000000001"));
    EXPECT_EQ(readParFile(dir.path("one.par")).timesNumber, QString());
    QByteArray many;
    for (int i = 0; i < 200; ++i)
        many += "+00000000000" + QByteArray::number(i % 10) + "\r\n";
    dir.write("many.par", many);
    EXPECT_EQ(readParFile(dir.path("many.par")).timesNumber, QStringLiteral("+000000000001"));
}

TEST(ParFile, LongLinesAndBinaryBytesAreReadAndDecodedWithoutHarm)
{
    TempDir dir;
    dir.write("long.par", QByteArray(10000, '1') + "\r\n" + QByteArray(10000, '7') + "\r\n");
    const ParFile file = readParFile(dir.path("long.par"));
    EXPECT_EQ(file.optionsNumber.size(), 10000);
    EXPECT_EQ(optionsSelectedBy(file.optionsNumber).size(), 11); // only positions 2 … 13 count
    int applied = 0;
    decodeTimes(file.timesNumber, [&](TimeDigit, int d) { applied += d == 7; });
    EXPECT_EQ(applied, 5);

    dir.write("bin.par", QByteArray("\x00\x01\xfe\xff+1\x7f", 7) + "\r\n" + QByteArray("\x80\x00\x1b\x9a", 4));
    const ParFile bin = readParFile(dir.path("bin.par"));
    EXPECT_EQ(bin.optionsNumber.size(), 7);
    EXPECT_EQ(optionsSelectedBy(bin.optionsNumber), QList<Option>{Option::ActionConfirmation}); // the "1" at 6
    EXPECT_NO_THROW(decodeTimes(bin.timesNumber, [](TimeDigit, int) {})); // 4 characters: no time position
}

TEST(ParFile, MissingFileOrFolderRaiseIoErrors)
{
    TempDir dir;
    try {
        readParFile(dir.path("missing.par"));
        ADD_FAILURE() << "no error for a missing file";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("I/O error 2\n"))) << e.what();
    }
    EXPECT_THROW(readParFile(dir.root()), FileError);
    EXPECT_THROW(writeParFile(dir.root(), {}), FileError);
    EXPECT_THROW(writeParFile(dir.path("no/folder/x.par"), {}), FileError);
}
