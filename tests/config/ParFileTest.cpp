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

TEST(ParFile, AnyFileShapeReadsAsTwoLinesOrAnIoError)
{
    TempDir dir;
    QByteArray many;
    for (int i = 0; i < 200; ++i)
        many += "+00000000000" + QByteArray::number(i % 10) + "\r\n";
    const std::pair<QByteArray, std::pair<QString, QString>> rows[] = {
        {"", {"", ""}},
        {"+000000000001", {"+000000000001", ""}},
        {many, {"+000000000000", "+000000000001"}},
        {QByteArray("\x00+1\xff\r\n\x1b", 7), {QString::fromLatin1("\0+1", 3) + QChar(0x02D9), "\x1b"}},
    };
    for (const auto& [bytes, lines] : rows) {
        dir.write("f.par", bytes);
        const ParFile file = readParFile(dir.path("f.par"));
        EXPECT_EQ(file.optionsNumber, lines.first);
        EXPECT_EQ(file.timesNumber, lines.second);
    }
    dir.write("long.par", QByteArray(10000, '1') + "\r\n" + QByteArray(10000, '7'));
    EXPECT_EQ(readParFile(dir.path("long.par")).optionsNumber.size(), 10000);
    EXPECT_EQ(readParFile(dir.path("long.par")).timesNumber.size(), 10000);

    EXPECT_THROW(readParFile(dir.path("missing.par")), kva::FileError);
    EXPECT_THROW(readParFile(dir.root()), kva::FileError); // a folder chosen as the file
    EXPECT_THROW(writeParFile(dir.root(), {}), kva::FileError);
}
