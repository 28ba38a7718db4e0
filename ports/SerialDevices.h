#pragma once
// The serial devices of the system as a person recognises them, for the phone search: the
// enumeration sits behind a small interface (Qt Serial Port in the program, a fixed list in
// tests); the devices COM names point at are added even when the enumeration does not report
// them (a pseudo-terminal such as the demo's simulated phone).
#include "ComMapping.h"

#include <QList>
#include <QMap>
#include <QString>

namespace kva {

struct SerialDevice {
    QString kernelPath;   // /dev/ttyUSB0, /dev/ttyACM0, /dev/ttyS0, /dev/pts/3
    QString byIdPath;     // /dev/serial/by-id/usb-… (empty when there is none)
    QString mappedPath;   // the path a COM name uses when it is neither of the above (a link)
    QString description;
    QString manufacturer;
    QString serialNumber;
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
    bool present = true;   // false: a COM name points at a device that is not there now
    QList<int> comNames;   // the COM numbers standing for this device

    // ttyS ports with no USB behind them: mostly built-in UARTs with nothing attached.
    bool builtIn() const;
    // The name shown first: by-id, else the mapped link, else the kernel name.
    QString displayName() const;
    // The name kept in ports.ini: the one that survives a replug (same order as above).
    QString stableName() const { return displayName(); }
    // The path to open.
    QString openPath() const { return present ? kernelPath : displayName(); }
    // "0403:6001" or empty.
    QString usbIds() const;
};

class DeviceEnumerator {
public:
    virtual ~DeviceEnumerator() = default;
    virtual QList<SerialDevice> devices() const = 0;
};

// QSerialPortInfo, with the by-id names looked up in `byIdDir`.
class QtDeviceEnumerator : public DeviceEnumerator {
public:
    explicit QtDeviceEnumerator(QString byIdDir = QStringLiteral("/dev/serial/by-id")) : byIdDir_(std::move(byIdDir)) {}
    QList<SerialDevice> devices() const override;

private:
    QString byIdDir_;
};

// Kernel path -> the link in `byIdDir` that points at it.
QMap<QString, QString> byIdLinks(const QString& byIdDir);

// The list the dialog shows: `enumerated` plus the targets of the COM names (Environment and
// ports.ini ones also when missing), each with its COM names; USB devices first, then other
// present ones, built-in ttyS ports a COM name uses, missing ones, and last the other built-in
// ttyS ports, only with `showAll`.
QList<SerialDevice> deviceList(QList<SerialDevice> enumerated, const QMap<int, ComTarget>& comTargets, bool showAll);

// The targets of COM1 … COM6 as the program resolves them now.
QMap<int, ComTarget> currentComTargets();

} // namespace kva
