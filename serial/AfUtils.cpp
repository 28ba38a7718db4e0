#include "AfUtils.h"

#include <QByteArray>

#include <cstring>

EAfComPortCoreError::EAfComPortCoreError(const QString& message, TAfOpenFailure cause,
                                         const QString& devicePath, int sysError)
    : kva::Error(message), cause_(cause), devicePath_(devicePath), sysError_(sysError)
{
}

QString EAfComPortCoreError::CauseText() const
{
    switch (cause_) {
    case TAfOpenFailure::None:
        return QString();
    case TAfOpenFailure::NoSuchDevice:
        return devicePath_.isEmpty() ? QStringLiteral("Pro toto číslo portu není známé zařízení.")
                                     : QStringLiteral("Zařízení %1 neexistuje.").arg(devicePath_);
    case TAfOpenFailure::NoPermission:
        return QStringLiteral("K zařízení %1 nemáte přístup (uživatel musí být ve skupině dialout).")
            .arg(devicePath_);
    case TAfOpenFailure::Busy:
        return QStringLiteral("Zařízení %1 používá jiný program.").arg(devicePath_);
    case TAfOpenFailure::NoHardware:
        return QStringLiteral("Za zařízením %1 není připojen žádný port.").arg(devicePath_);
    case TAfOpenFailure::NotATerminal:
        return QStringLiteral("Zařízení %1 není sériový port.").arg(devicePath_);
    case TAfOpenFailure::Other:
        break;
    }
    return QStringLiteral("%1: %2").arg(devicePath_, QString::fromLocal8Bit(std::strerror(sysError_)));
}

namespace {

TAfComDeviceResolver& resolver()
{
    static TAfComDeviceResolver r;
    return r;
}

} // namespace

void AfSetComDeviceResolver(TAfComDeviceResolver r)
{
    resolver() = std::move(r);
}

QString AfBuiltInComDevice(int comNumber)
{
    static const char* const defaults[] = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0",
                                           "/dev/ttyACM1", "/dev/ttyS0",   "/dev/ttyS1"};
    if (comNumber < 1 || comNumber > 6)
        return QString();
    return QString::fromLatin1(defaults[comNumber - 1]);
}

QString AfComDevicePath(int comNumber)
{
    if (comNumber < 1)
        return QString();
    if (resolver())
        return resolver()(comNumber);
    const QByteArray fromEnv = qgetenv(QByteArray("KVA271_COM") + QByteArray::number(comNumber));
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
    return AfBuiltInComDevice(comNumber);
}
