// COM names: $KVA271_COMn before ports.ini before the built-in table; ports.ini of any content.
#include "AfUtils.h"
#include "ComMapping.h"
#include "QStringPrint.h"
#include "TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kva;

namespace {

class ComMapping : public ::testing::Test {
protected:
    ComMapping()
    {
        qputenv("XDG_CONFIG_HOME", dir.root().toLocal8Bit());
        for (int n = 1; n <= 6; ++n)
            qunsetenv(QByteArray("KVA271_COM") + QByteArray::number(n));
    }
    ~ComMapping() override
    {
        AfSetComDeviceResolver(nullptr);
        qunsetenv("KVA271_COM2");
    }
    QString ini() const { return dir.path("kva271-config/ports.ini"); }

    TempDir dir;
};

} // namespace

TEST_F(ComMapping, EnvironmentThenPortsIniThenBuiltInTable)
{
    EXPECT_EQ(portsIniPath(), ini());
    assignCom(2, "/dev/serial/by-id/usb-phone-if00");
    assignCom(3, "/dev/ttyUSB7");
    qputenv("KVA271_COM2", "/dev/pts/9");

    const ComTarget com2 = resolveCom(2);
    EXPECT_EQ(com2.device, "/dev/pts/9");
    EXPECT_EQ(com2.source, MappingSource::Environment);
    const ComTarget com3 = resolveCom(3);
    EXPECT_EQ(com3.device, "/dev/ttyUSB7");
    EXPECT_EQ(com3.source, MappingSource::PortsIni);
    const ComTarget com5 = resolveCom(5);
    EXPECT_EQ(com5.device, "/dev/ttyS0");
    EXPECT_EQ(com5.source, MappingSource::BuiltIn);
    EXPECT_EQ(resolveCom(7).source, MappingSource::None);

    qunsetenv("KVA271_COM2");
    EXPECT_EQ(resolveCom(2).device, "/dev/serial/by-id/usb-phone-if00");

    // The serial layer opens COM names through the same mapping once it is installed.
    EXPECT_EQ(AfComDevicePath(3), "/dev/ttyACM0");
    installComMapping();
    EXPECT_EQ(AfComDevicePath(3), "/dev/ttyUSB7");
}

TEST_F(ComMapping, AssigningTheSameDeviceAgainMovesItsName)
{
    dir.write("tty", "");
    QDir().mkpath(dir.path("kva271-config"));
    dir.write("kva271-config/ports.ini", QByteArray("COM1=") + dir.path("tty").toUtf8() + "\nCOM4=/dev/ttyACM3\n");
    QFile::link(dir.path("tty"), dir.path("by-id-link"));
    assignCom(2, dir.path("by-id-link")); // the same device under another name

    EXPECT_EQ(dir.read("kva271-config/ports.ini"),
              "# kva271-config: COM names of the Port menu and their devices (Port > Najít telefon…)\n"
              "COM2=" + dir.path("by-id-link").toUtf8() + "\nCOM4=/dev/ttyACM3\n");
}

TEST_F(ComMapping, DamagedPortsIniMapsOnlyItsValidLines)
{
    EXPECT_TRUE(parsePortsIni("").isEmpty());
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char(i * 37);
    EXPECT_TRUE(parsePortsIni(binary).isEmpty());

    const PortAssignments parsed = parsePortsIni("COM1=relative/path\r\n"
                                                 "  COM2 = /dev/ttyUSB3  \r\n"
                                                 "COM9=/dev/ttyUSB4\n"
                                                 "COMx=/dev/ttyUSB5\n"
                                                 "COM3=\n"
                                                 "COM4=/dev/\xff\xfe\n"
                                                 "# COM5=/dev/ttyUSB6\n"
                                                 "COM6=/dev/ttyACM0");
    EXPECT_EQ(parsed, (PortAssignments{{2, "/dev/ttyUSB3"}, {6, "/dev/ttyACM0"}}));

    // A folder in place of the file, and a missing file, map nothing and throw nothing.
    QDir().mkpath(ini());
    EXPECT_EQ(resolveCom(1).source, MappingSource::BuiltIn);
    EXPECT_TRUE(readPortsIni(dir.path("missing.ini")).isEmpty());
    // A device named in ports.ini that is missing is still what the name stands for.
    EXPECT_EQ(resolveCom(2, parsed).device, "/dev/ttyUSB3");
}

TEST_F(ComMapping, UnwritableConfigurationThrows)
{
    dir.write("file", "x");
    EXPECT_ANY_THROW(assignCom(1, "/dev/ttyUSB0", dir.path("file/ports.ini")));
}
