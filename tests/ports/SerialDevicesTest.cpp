// The device list of the phone search: an enumeration plus the devices COM names point at,
// in the order a person looks for a phone; the owners of a busy device.
#include "PortOwners.h"
#include "QStringPrint.h"
#include "SerialDevices.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kva;

namespace {

SerialDevice usb(const QString& kernel, const QString& byId)
{
    SerialDevice d;
    d.kernelPath = kernel;
    d.byIdPath = byId;
    d.description = "USB-Serial Controller";
    d.manufacturer = "Prolific";
    d.hasUsbIds = true;
    d.vendorId = 0x067b;
    d.productId = 0x2303;
    return d;
}

SerialDevice plain(const QString& kernel)
{
    SerialDevice d;
    d.kernelPath = kernel;
    return d;
}

QStringList names(const QList<SerialDevice>& list)
{
    QStringList out;
    for (const SerialDevice& d : list)
        out << d.displayName();
    return out;
}

} // namespace

TEST(SerialDevices, UsbFirstMappedMissingAfterBuiltInPortsOnlyOnRequest)
{
    TempDir dir;
    dir.write("pts7", ""); // stands for the demo's pseudo-terminal
    QFile::link(dir.path("pts7"), dir.path("COM1"));
    const QList<SerialDevice> enumerated = {plain("/dev/ttyS0"), plain("/dev/ttyS1"),
                                            usb("/dev/ttyUSB0", "/dev/serial/by-id/usb-Prolific-if00"),
                                            plain("/dev/ttyACM0")};
    const QMap<int, ComTarget> targets = {
        {1, {dir.path("COM1"), MappingSource::Environment}},
        {2, {"/dev/serial/by-id/usb-Prolific-if00", MappingSource::PortsIni}},
        {3, {"/dev/ttyACM0", MappingSource::BuiltIn}},
        {4, {dir.path("gone"), MappingSource::PortsIni}},
        {5, {"/dev/ttyS1", MappingSource::BuiltIn}},
        {6, {dir.path("not-there"), MappingSource::BuiltIn}},
    };

    const QList<SerialDevice> list = deviceList(enumerated, targets, false);
    EXPECT_EQ(names(list), (QStringList{"/dev/serial/by-id/usb-Prolific-if00", "/dev/ttyACM0", dir.path("COM1"),
                                        "/dev/ttyS1", dir.path("gone")}));
    EXPECT_EQ(list[0].comNames, QList<int>{2});
    EXPECT_EQ(list[0].usbIds(), "067b:2303");
    EXPECT_EQ(list[0].openPath(), "/dev/ttyUSB0");
    EXPECT_EQ(list[1].comNames, QList<int>{3});
    EXPECT_EQ(list[2].kernelPath, dir.path("pts7"));
    EXPECT_EQ(list[2].stableName(), dir.path("COM1")); // the link survives a restart of the phone
    EXPECT_EQ(list[2].comNames, QList<int>{1});
    EXPECT_EQ(list[3].comNames, QList<int>{5}); // a built-in port a COM name uses stays in view
    EXPECT_FALSE(list[4].present);
    EXPECT_EQ(list[4].comNames, QList<int>{4});

    const QList<SerialDevice> all = deviceList(enumerated, targets, true);
    ASSERT_EQ(all.size(), 6);
    EXPECT_EQ(all.last().kernelPath, "/dev/ttyS0");
    EXPECT_TRUE(all.last().builtIn());
}

TEST(SerialDevices, TwoNamesOfOneDeviceShareItsRow)
{
    const QList<SerialDevice> list =
        deviceList({usb("/dev/ttyUSB0", "/dev/serial/by-id/usb-x")},
                   {{1, {"/dev/ttyUSB0", MappingSource::BuiltIn}}, {4, {"/dev/serial/by-id/usb-x", MappingSource::PortsIni}}},
                   false);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].comNames, (QList<int>{1, 4}));
    EXPECT_TRUE(deviceList({}, {}, true).isEmpty());
}

TEST(SerialDevices, ByIdLinksAndOwnersFromTheirFolders)
{
    TempDir dir;
    QDir().mkpath(dir.path("dev"));
    dir.write("dev/ttyUSB0", "");
    QDir().mkpath(dir.path("by-id"));
    QFile::link(dir.path("dev/ttyUSB0"), dir.path("by-id/usb-Phone_Cable-if00-port0"));
    EXPECT_EQ(byIdLinks(dir.path("by-id")),
              (QMap<QString, QString>{{dir.path("dev/ttyUSB0"), dir.path("by-id/usb-Phone_Cable-if00-port0")}}));
    EXPECT_TRUE(byIdLinks(dir.path("no-such-folder")).isEmpty());

    // A fake /proc: process 812 holds the device, 900 something else, "self" is no process.
    QDir().mkpath(dir.path("proc/812/fd"));
    QDir().mkpath(dir.path("proc/900/fd"));
    QDir().mkpath(dir.path("proc/self/fd"));
    dir.write("proc/812/comm", "ModemManager\n");
    dir.write("proc/900/comm", "bash\n");
    QFile::link(dir.path("dev/ttyUSB0"), dir.path("proc/812/fd/11"));
    QFile::link(dir.path("dev/other"), dir.path("proc/900/fd/3"));
    QFile::link(dir.path("dev/ttyUSB0"), dir.path("proc/self/fd/4"));

    const QList<PortOwner> owners = portOwners(dir.path("by-id/usb-Phone_Cable-if00-port0"), dir.path("proc"));
    ASSERT_EQ(owners.size(), 1);
    EXPECT_EQ(owners[0].pid, 812);
    EXPECT_EQ(owners[0].name, "ModemManager");
    EXPECT_TRUE(portOwners(dir.path("dev/missing"), dir.path("proc")).isEmpty());

    EXPECT_EQ(deviceProblemText(TAfOpenFailure::Busy, "/dev/ttyUSB0", owners),
              QStringLiteral("Zařízení /dev/ttyUSB0 používá program ModemManager (PID 812). Ukončete ho a zkuste to "
                             "znovu. ModemManager zastavíte příkazem sudo systemctl stop ModemManager."));
    EXPECT_EQ(deviceProblemText(TAfOpenFailure::Busy, "/dev/ttyUSB0", {}),
              QStringLiteral("Zařízení /dev/ttyUSB0 používá jiný program (například ModemManager). Ukončete ho a "
                             "zkuste to znovu."));
}

TEST(SerialDevices, OneLineOfCauseAndRemedyForTheSearchAndThePortMenu)
{
    EXPECT_EQ(deviceProblemText(TAfOpenFailure::NoPermission, "/dev/ttyUSB0", {}, "uucp"),
              QStringLiteral("K zařízení /dev/ttyUSB0 nemáte přístup. Přidejte svého uživatele do skupiny uucp "
                             "(sudo usermod -aG uucp $USER) a znovu se přihlaste."));
    EXPECT_TRUE(deviceProblemText(TAfOpenFailure::NoPermission, "/dev/ttyUSB0", {}).contains("skupiny dialout"));
    // The search lists devices; the port menu also says how to point its COM item elsewhere.
    EXPECT_EQ(deviceProblemText(TAfOpenFailure::NoSuchDevice, "/dev/ttyUSB1", {}),
              QStringLiteral("Zařízení /dev/ttyUSB1 není připojeno. Připojte telefon kabelem."));
    EXPECT_EQ(deviceProblemText(TAfOpenFailure::NoSuchDevice, "/dev/ttyUSB1", {}, QString(), 2),
              QStringLiteral("COM2 odpovídá zařízení /dev/ttyUSB1, které neexistuje. Připojte telefon, nebo "
                             "proměnnou prostředí KVA271_COM2 nastavte na jiné zařízení."));
    EXPECT_EQ(deviceProblemText(TAfOpenFailure::NotATerminal, "/dev/null", {}, QString(), 4),
              QStringLiteral("Zařízení /dev/null (COM4) není sériový port. Proměnnou prostředí KVA271_COM4 nastavte "
                             "na zařízení telefonu."));
    EXPECT_EQ(deviceProblemText(TAfOpenFailure::Other, QString(), {}, QString(), 5),
              QStringLiteral("Zařízení (žádné) (COM5) nelze otevřít. Zkontrolujte kabel, nebo proměnnou prostředí "
                             "KVA271_COM5 nastavte na jiné zařízení."));
    for (TAfOpenFailure c : {TAfOpenFailure::NoPermission, TAfOpenFailure::Busy, TAfOpenFailure::NoSuchDevice,
                             TAfOpenFailure::NoHardware, TAfOpenFailure::NotATerminal, TAfOpenFailure::Other})
        for (int com : {0, 3}) {
            const QString line = deviceProblemText(c, "/dev/x", {}, QString(), com);
            EXPECT_TRUE(line.endsWith(u'.') && !line.contains(u'\n')) << line.toStdString();
            EXPECT_EQ(line.contains("COM3"), com == 3 && c != TAfOpenFailure::NoPermission && c != TAfOpenFailure::Busy)
                << line.toStdString();
        }
    EXPECT_TRUE(deviceProblemText(TAfOpenFailure::None, "/dev/x", {}, QString(), 1).isEmpty());

    EXPECT_FALSE(deviceGroupOf("/dev/null").isEmpty());
    EXPECT_TRUE(deviceGroupOf("/nonexistent/device").isEmpty());
    EXPECT_TRUE(deviceGroupOf(QString()).isEmpty());
}
