// The 28-byte line-settings record from anywhere, handed to ApplyLineSettings: the bytes survive
// the record unchanged, the properties decoded from a record rebuild a record that decodes to
// the same properties, a closed port refuses only a wrong length, and an open port (on a
// pseudo-terminal) either takes the record or refuses it and stays open and usable.
#include "AfComPort.h"
#include "AfComPortCore.h"
#include "FuzzSupport.h"

#include <QCoreApplication>

#include <cstdlib>
#include <pty.h>
#include <unistd.h>

using kva::fuzz::check;

namespace {

bool sameProperties(const TAfLineProperties& a, const TAfLineProperties& b)
{
    return a.BaudRate == b.BaudRate && a.UserBaudRate == b.UserBaudRate && a.Databits == b.Databits &&
           a.Parity == b.Parity && a.Stopbits == b.Stopbits && a.FlowControl == b.FlowControl &&
           a.Options == b.Options && a.XOnChar == b.XOnChar && a.XOffChar == b.XOffChar && a.XOnLim == b.XOnLim &&
           a.XOffLim == b.XOffLim;
}

TAfLineProperties propertiesOf(const TAfCustomSerialPort& port)
{
    TAfLineProperties p;
    p.BaudRate = port.BaudRate();
    p.UserBaudRate = port.UserBaudRate();
    p.Databits = port.Databits();
    p.Parity = port.Parity();
    p.Stopbits = port.Stopbits();
    p.FlowControl = port.FlowControl();
    p.Options = port.Options();
    p.DTR = port.DTR();
    p.RTS = port.RTS();
    p.XOnChar = port.XOnChar();
    p.XOffChar = port.XOffChar();
    p.XOnLim = port.XOnLim();
    p.XOffLim = port.XOffLim();
    return p;
}

struct Ports {
    TAfComPort* closed = nullptr;
    TAfComPort* open = nullptr; // null when no pseudo-terminal could be made
};

Ports ports;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "fuzz_line_settings";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // kept for the whole run, like the ports
    ports.closed = new TAfComPort();
    ports.closed->SetName("AfComPort1");

    int master = -1;
    int slave = -1;
    char path[256] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) == 0) {
        ::close(slave);
        setenv("KVA271_COM1", path, 1);
        ports.open = new TAfComPort();
        ports.open->SetName("AfComPort2");
        ports.open->SetComNumber(1);
        ports.open->Open();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = kva::fuzz::bytesOf(data, size);
    const TAfLineSettings record = TAfLineSettings::FromBytes(bytes);
    QByteArray expected = bytes.left(TAfLineSettings::RecordSize);
    expected.append(QByteArray(TAfLineSettings::RecordSize - expected.size(), '\0'));
    check(record.ToBytes() == expected, "record bytes do not survive");
    check(TAfLineSettings::FromBytes(record.ToBytes()) == record, "record does not survive its bytes");

    TAfLineProperties decoded;
    AfDecodeLineSettings(record, decoded);
    check(decoded.Databits >= db4 && decoded.Databits <= db8 && decoded.Parity >= paNone &&
              decoded.Parity <= paSpace && decoded.Stopbits >= sbOne && decoded.Stopbits <= sbTwo &&
              decoded.FlowControl >= fwNone && decoded.FlowControl <= fwDtrDsr && decoded.BaudRate >= br110 &&
              decoded.BaudRate <= brUser,
          "decoded property outside its enumeration");
    TAfLineProperties again;
    AfDecodeLineSettings(AfBuildLineSettings(decoded), again);
    check(sameProperties(decoded, again), "rebuilt record decodes to other properties");

    TAfComPort& closed = *ports.closed;
    const bool rightLength = record.Length == TAfLineSettings::RecordSize;
    try {
        closed.ApplyLineSettings(record);
        check(rightLength, "a record of the wrong length was taken");
        check(sameProperties(propertiesOf(closed), decoded), "properties are not the ones the record describes");
        check(closed.LineSettings() == AfBuildLineSettings(propertiesOf(closed)),
              "closed port's record is not rebuilt from its properties");
    } catch (const EAfComPortError&) {
        check(!rightLength, "a closed port refused a record of the right length");
    }

    if (!ports.open)
        return 0;
    TAfComPort& open = *ports.open;
    try {
        open.ApplyLineSettings(record);
        check(rightLength, "a record of the wrong length was taken");
    } catch (const EAfComPortError&) {
        check(!rightLength, "refused with the component's error although the length is right");
    } catch (const EAfComPortCoreError&) {
        // The device refused it: the port keeps the device's record, and that record is taken.
        check(open.LineSettings() == open.Engine().LineSettings(), "port does not show the device's record");
        try {
            open.ApplyLineSettings(open.LineSettings());
        } catch (const kva::Error& e) {
            std::fprintf(stderr, "%s\n", e.what());
            kva::fuzz::fail("the device's own record is refused");
        }
    }
    check(open.IsOpen(), "a line-settings record closed the port");
    return 0;
}
