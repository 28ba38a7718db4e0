#include "PortAdvice.h"

#include <gtest/gtest.h>

TEST(PortAdvice, NamesCauseAndRemedyOnOneLine)
{
    const QString denied = kva::portOpenAdvice(TAfOpenFailure::NoPermission, 1, "/dev/ttyUSB0", "uucp");
    EXPECT_TRUE(denied.contains("/dev/ttyUSB0"));
    EXPECT_TRUE(denied.contains("skupiny uucp"));
    EXPECT_TRUE(denied.contains("znovu se přihlaste"));
    EXPECT_TRUE(kva::portOpenAdvice(TAfOpenFailure::NoPermission, 1, "/dev/ttyUSB0").contains("skupiny dialout"));

    const QString busy = kva::portOpenAdvice(TAfOpenFailure::Busy, 3, "/dev/ttyACM0");
    EXPECT_TRUE(busy.contains("jiný program"));
    EXPECT_TRUE(busy.contains("ModemManager"));

    const QString missing = kva::portOpenAdvice(TAfOpenFailure::NoSuchDevice, 2, "/dev/ttyUSB1");
    EXPECT_TRUE(missing.contains("COM2 odpovídá zařízení /dev/ttyUSB1"));
    EXPECT_TRUE(missing.contains("KVA271_COM2"));

    for (TAfOpenFailure c : {TAfOpenFailure::NoPermission, TAfOpenFailure::Busy, TAfOpenFailure::NoSuchDevice,
                             TAfOpenFailure::NoHardware, TAfOpenFailure::NotATerminal, TAfOpenFailure::Other}) {
        const QString line = kva::portOpenAdvice(c, 4, "/dev/x");
        EXPECT_FALSE(line.isEmpty());
        EXPECT_FALSE(line.contains(u'\n'));
        EXPECT_TRUE(line.startsWith("Příčina: "));
    }
    EXPECT_TRUE(kva::portOpenAdvice(TAfOpenFailure::None, 1, "/dev/x").isEmpty());
}

TEST(PortAdvice, GroupOfADeviceFile)
{
    EXPECT_FALSE(kva::deviceGroupOf("/dev/null").isEmpty());
    EXPECT_TRUE(kva::deviceGroupOf("/nonexistent/device").isEmpty());
    EXPECT_TRUE(kva::deviceGroupOf(QString()).isEmpty());
}
