#pragma once
// Shared types of the serial port layer: thread priorities, engine event kinds, exceptions.
#include "KvaError.h"

#include <QString>

#include <exception>
#include <functional>

// Order is the stored value.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

enum TAfCoreEvent { ceOutputEmpty, ceCommEvent, ceInputWaiting, ceWorkerFault };

// Why a device could not be opened; kept so that an error box can explain the refusal.
enum class TAfOpenFailure {
    None,
    NoSuchDevice,  // the path does not exist (or no path is known for the number)
    NoPermission,  // EACCES/EPERM: the user is not in the group owning the device (dialout)
    Busy,          // another program (or another port object here) holds the device
    NoHardware,    // the node exists but no device answers behind it (ENXIO/ENODEV/EIO)
    NotATerminal,  // opened, but it is not a serial line (tcgetattr refused)
    Other
};

// Raised by the engine; the message alone ("Nemohu otevřít port COM1"). For open failures
// Cause(), DevicePath() and SysError() tell why.
class EAfComPortCoreError : public kva::Error {
public:
    explicit EAfComPortCoreError(const QString& message, TAfOpenFailure cause = TAfOpenFailure::None,
                                 const QString& devicePath = QString(), int sysError = 0);
    TAfOpenFailure Cause() const { return cause_; }
    QString DevicePath() const { return devicePath_; }
    int SysError() const { return sysError_; }

private:
    TAfOpenFailure cause_;
    QString devicePath_;
    int sysError_;
};

// Raised by the port component: "<message> - <Name> ".
class EAfComPortError : public kva::Error {
public:
    using kva::Error::Error;
};

// Silent abort of a worker's action: caught and never shown.
class EAfAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Device path behind "COMn": the installed resolver's answer; without one $KVA271_COMn when
// set, else the built-in table. Empty when unknown.
QString AfComDevicePath(int comNumber);
// The built-in table: COM1=/dev/ttyUSB0, COM2=/dev/ttyUSB1, COM3=/dev/ttyACM0,
// COM4=/dev/ttyACM1, COM5=/dev/ttyS0, COM6=/dev/ttyS1; empty for other numbers.
QString AfBuiltInComDevice(int comNumber);
// The application maps COM names through its own configuration; nullptr restores the default.
// User-interface thread only.
using TAfComDeviceResolver = std::function<QString(int comNumber)>;
void AfSetComDeviceResolver(TAfComDeviceResolver resolver);
