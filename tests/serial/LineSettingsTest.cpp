#include "AfComPort.h"
#include "AfLineSettings.h"

#include <gtest/gtest.h>

namespace {

// The main window's settings: 19200 baud, input queue 8192, everything else by default.
void mainWindowSettings(TAfComPort& port)
{
    port.SetName("AfComPort1");
    port.SetBaudRate(br19200);
    port.SetEventThreadPriority(tpTimeCritical);
    port.SetInBufSize(8192);
    port.AfterLoad();
}

} // namespace

TEST(LineSettings, MainWindowRecordBytes)
{
    TAfComPort port;
    mainWindowSettings(port);
    const TAfLineSettings& r = port.LineSettings();
    EXPECT_EQ(r.Flags, 0x1011u);
    EXPECT_EQ(r.ToBytes().toHex(),
              QByteArray("1c000000"   // length 28
                         "004b0000"   // 19200
                         "11100000"   // flags 0x1011
                         "0000" "0000" "0000"
                         "08" "00" "00" "11" "13" "00" "00" "00" "0000"));
    EXPECT_EQ(TAfLineSettings::FromBytes(r.ToBytes()), r);
}

TEST(LineSettings, DefaultsOfANewComponent)
{
    TAfComPort port;
    const TAfLineSettings& r = port.LineSettings();
    EXPECT_EQ(r.Length, 28u);
    EXPECT_EQ(r.BaudRate, 115200u);
    EXPECT_EQ(r.Flags, 0x1011u);
    EXPECT_EQ(port.InBufSize(), 4096);
    EXPECT_EQ(port.OutBufSize(), 2048);
    EXPECT_EQ(port.WriteThreadPriority(), tpHighest);
    EXPECT_EQ(port.ComNumber(), 0);
}

TEST(LineSettings, FlowControlSwitchRecomputesLimitsAndFlags)
{
    TAfComPort port;
    mainWindowSettings(port);
    port.SetFlowControl(fwRtsCts);
    EXPECT_EQ(port.XOnLim(), 2048);
    EXPECT_EQ(port.XOffLim(), 6144);
    EXPECT_EQ(port.LineSettings().Flags, 0x2015u);
    EXPECT_EQ(port.LineSettings().XonLim, 2048);
    EXPECT_EQ(port.LineSettings().XoffLim, 6144);

    port.SetFlowControl(fwXOnXOff);
    EXPECT_EQ(port.LineSettings().Flags, 0x1311u);
    port.SetFlowControl(fwDtrDsr);
    EXPECT_EQ(port.LineSettings().Flags, 0x1029u); // DTR no longer held raised
    port.SetFlowControl(fwNone);
    EXPECT_EQ(port.XOnLim(), 0);
    EXPECT_EQ(port.XOffLim(), 0);
}

TEST(LineSettings, XonXoffLimitsFollowEachOther)
{
    TAfComPort port;
    port.SetInBufSize(8192);
    port.SetXOnLim(1000);
    EXPECT_EQ(port.XOffLim(), 7192);
    port.SetXOffLim(1000);
    EXPECT_EQ(port.XOnLim(), 7192);
}

TEST(LineSettings, BaudRateAndUserBaudRate)
{
    TAfComPort port;
    port.SetUserBaudRate(250000);
    EXPECT_EQ(port.BaudRate(), brUser);
    EXPECT_EQ(port.LineSettings().BaudRate, 250000u);
    port.SetBaudRate(br9600);
    EXPECT_EQ(port.UserBaudRate(), 0);
    EXPECT_EQ(port.LineSettings().BaudRate, 9600u);
}

TEST(LineSettings, OptionsAndFramingInTheRecord)
{
    TAfLineProperties p;
    p.BaudRate = br56000;
    p.Databits = db7;
    p.Parity = paMark;
    p.Stopbits = sbTwo;
    p.Options = {coParityCheck, coStripNull, coIgnoreXOff};
    p.DTR = false;
    p.RTS = false;
    const TAfLineSettings r = AfBuildLineSettings(p);
    EXPECT_EQ(r.BaudRate, 56000u);
    EXPECT_EQ(r.ByteSize, 7);
    EXPECT_EQ(r.Parity, 3);
    EXPECT_EQ(r.StopBits, 2);
    EXPECT_EQ(r.Flags, 0x0001u | 0x0002u | 0x0800u | 0x0080u);
}

TEST(LineSettings, DecodeRecord)
{
    TAfLineSettings r;
    r.Length = 28;
    r.BaudRate = 31250; // no named rate
    r.Flags = 0x2015 | 0x0400;
    r.ByteSize = 9;     // no such value: db8
    r.Parity = 2;
    r.StopBits = 7;     // no such value: sbOne
    r.XonChar = 1;
    r.XoffChar = 2;
    r.XonLim = 10;
    r.XoffLim = 20;
    TAfLineProperties p;
    AfDecodeLineSettings(r, p);
    EXPECT_EQ(p.BaudRate, brUser);
    EXPECT_EQ(p.UserBaudRate, 31250);
    EXPECT_EQ(p.Databits, db8);
    EXPECT_EQ(p.Parity, paEven);
    EXPECT_EQ(p.Stopbits, sbOne);
    EXPECT_EQ(p.FlowControl, fwRtsCts);
    EXPECT_EQ(p.Options, (TAfComOptions{coErrorChar}));
    EXPECT_EQ(p.XOnChar, 1);
    EXPECT_EQ(p.XOffLim, 20);

    r.BaudRate = 19200;
    r.Flags = 0x0001 | 0x0300 | 0x0028; // both groups: DTR/DSR is tried first
    AfDecodeLineSettings(r, p);
    EXPECT_EQ(p.BaudRate, br19200);
    EXPECT_EQ(p.FlowControl, fwDtrDsr);
}

TEST(LineSettings, ApplyLineSettingsSetsPropertiesOrRefusesABadLength)
{
    TAfComPort port;
    port.SetName("AfComPort1");
    TAfLineSettings r = port.LineSettings();
    r.BaudRate = 19200;
    r.Parity = 1;
    port.ApplyLineSettings(r);
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.Parity(), paOdd);
    EXPECT_EQ(port.LineSettings().BaudRate, 19200u);

    r.Length = 27;
    try {
        port.ApplyLineSettings(r);
        FAIL() << "accepted a record of length 27";
    } catch (const EAfComPortError& e) {
        EXPECT_STREQ(e.what(), "Error setting parameters from DCB - AfComPort1 ");
    }
    EXPECT_EQ(port.Parity(), paOdd);
    EXPECT_FALSE(port.ShowSettingsDialog());
}

TEST(LineSettings, ComDeviceMapping)
{
    qunsetenv("KVA271_COM5");
    EXPECT_EQ(AfComDevicePath(1).isEmpty(), false);
    EXPECT_EQ(AfComDevicePath(5), "/dev/ttyS0");
    EXPECT_EQ(AfComDevicePath(0), QString());
    EXPECT_EQ(AfComDevicePath(7), QString());
    qputenv("KVA271_COM5", "/tmp/some-device");
    EXPECT_EQ(AfComDevicePath(5), "/tmp/some-device");
    qunsetenv("KVA271_COM5");
    qunsetenv("KVA271_COM3");
    EXPECT_EQ(AfComDevicePath(3), "/dev/ttyACM0");
}
