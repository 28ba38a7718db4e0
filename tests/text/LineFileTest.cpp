#include "KvaError.h"
#include "LineFile.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using kva::readLineFile;
using kva::splitLines;
using kva::writeLineFile;

TEST(LineFile, WritesWindows1250LinesEndedByCrLf)
{
    TempDir dir;
    writeLineFile(dir.path("a.par"), {QStringLiteral("+000000000001"), QStringLiteral("Poplach čidla"), QString()});
    EXPECT_EQ(dir.read("a.par"), QByteArray("+000000000001\r\nPoplach \xE8idla\r\n\r\n"));
}

TEST(LineFile, SplitsAtAnyLineEndAndStopsAtCtrlZ)
{
    EXPECT_EQ(splitLines("a\r\nb\rc\nd", 4), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb", 3), (QStringList{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\n\rb", 3), (QStringList{"a", "", "b"})); // LF then CR: two line ends
    EXPECT_EQ(splitLines("a\x1a" "b\r\nc", 3), (QStringList{"a", "", ""}));
    EXPECT_EQ(splitLines("\x1a", 2), (QStringList{"", ""}));
}

TEST(LineFile, MissingLinesAreEmptyAndExtraLinesIgnored)
{
    EXPECT_EQ(splitLines("", 2), (QStringList{"", ""}));
    EXPECT_EQ(splitLines("only", 2), (QStringList{"only", ""}));
    QByteArray many;
    for (int i = 0; i < 200; ++i)
        many += QByteArray::number(i) + "\r\n";
    EXPECT_EQ(splitLines(many, 2), (QStringList{"0", "1"}));
    EXPECT_EQ(splitLines(many, 0), QStringList());
}

TEST(LineFile, LongLinesAreCutAndBinaryBytesKept)
{
    const QByteArray longLine(200000, 'x');
    const QStringList lines = splitLines(longLine + "\r\nnext", 2);
    EXPECT_EQ(lines[0].size(), kva::MaxLineLength);
    EXPECT_EQ(lines[1], QStringLiteral("next"));
    EXPECT_EQ(splitLines(QByteArray("\x00\x01\xff", 3), 1)[0].size(), 3);
}

TEST(LineFile, RoundTripIsByteExact)
{
    TempDir dir;
    const QByteArray bytes("+110111111111\r\n+000000092310\r\n");
    dir.write("r.par", bytes);
    const QStringList lines = readLineFile(dir.path("r.par"), 2);
    writeLineFile(dir.path("w.par"), lines);
    EXPECT_EQ(dir.read("w.par"), bytes);
}

TEST(LineFile, UnreadableFilesRaiseIoErrors)
{
    TempDir dir;
    try {
        readLineFile(dir.path("missing.par"), 2);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const kva::FileError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("I/O error 2"))) << e.what();
    }
    EXPECT_THROW(readLineFile(dir.root(), 2), kva::FileError); // a folder chosen as the file
}

TEST(LineFile, FailedSaveLeavesTheOldFileIntact)
{
    TempDir dir;
    dir.write("keep.par", "old\r\n");
    EXPECT_THROW(writeLineFile(dir.root(), {QStringLiteral("x")}), kva::FileError);
    EXPECT_THROW(writeLineFile(dir.path("no/such/folder/x.par"), {QStringLiteral("x")}), kva::FileError);
    if (geteuid() != 0) { // root may write anywhere
        QFile::setPermissions(dir.root(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_THROW(writeLineFile(dir.path("keep.par"), {QStringLiteral("new")}), kva::FileError);
        QFile::setPermissions(dir.root(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    EXPECT_EQ(dir.read("keep.par"), QByteArray("old\r\n"));
}
