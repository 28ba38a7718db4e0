#include "SettingsFile.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace kva;

TEST(SettingsFile, FirstStartCreatesAnEmptyFileAndGivesDefaults)
{
    TempDir dir;
    const Settings s = readSettings(dir.path("setting.ini"));
    EXPECT_EQ(s.startupPortName, QString());
    EXPECT_EQ(s.smsCentreNumber, QStringLiteral("+420603052000"));
    EXPECT_TRUE(QFile::exists(dir.path("setting.ini")));
    EXPECT_EQ(dir.read("setting.ini"), QByteArray());
}

TEST(SettingsFile, MissingOrEmptyLineTwoGivesTheDefaultCentre)
{
    TempDir dir;
    dir.write("a.ini", "COM3\r\n\r\n");
    EXPECT_EQ(readSettings(dir.path("a.ini")).startupPortName, QStringLiteral("COM3"));
    EXPECT_EQ(readSettings(dir.path("a.ini")).smsCentreNumber, QStringLiteral("+420603052000"));
    dir.write("b.ini", "COM1");
    EXPECT_EQ(readSettings(dir.path("b.ini")).smsCentreNumber, QStringLiteral("+420603052000"));
    dir.write("c.ini", " COM3\r\n+420777000111\r\n");
    EXPECT_EQ(readSettings(dir.path("c.ini")).startupPortName, QStringLiteral(" COM3"));
    EXPECT_EQ(readSettings(dir.path("c.ini")).smsCentreNumber, QStringLiteral("+420777000111"));
}

TEST(SettingsFile, WritesTwoLinesWithABlankForNoPort)
{
    TempDir dir;
    writeSettings(dir.path("s.ini"), QString(), QStringLiteral("+420603052000"));
    EXPECT_EQ(dir.read("s.ini"), QByteArray(" \r\n+420603052000\r\n"));
    writeSettings(dir.path("s.ini"), QStringLiteral("COM2"), QString());
    EXPECT_EQ(dir.read("s.ini"), QByteArray("COM2\r\n\r\n"));
    EXPECT_EQ(readSettings(dir.path("s.ini")).smsCentreNumber, QStringLiteral("+420603052000"));
}

TEST(SettingsFile, LivesBesideTheExecutableOnlyWhenThatFolderIsWritable)
{
    TempDir dir;
    EXPECT_EQ(settingsFilePath(dir.root()), dir.path("setting.ini"));
    qputenv("XDG_CONFIG_HOME", dir.path("cfg").toLocal8Bit());
    EXPECT_EQ(settingsFilePath(dir.path("does-not-exist")), dir.path("cfg/kva271-config/setting.ini"));
    EXPECT_EQ(settingsFilePath(QStringLiteral("/usr/bin")), dir.path("cfg/kva271-config/setting.ini"));
    qunsetenv("XDG_CONFIG_HOME");
}
