#include "AfUtils.h"

#include <QByteArray>

EAfComPortCoreError::EAfComPortCoreError(const QString& message, TAfOpenFailure cause,
                                         const QString& devicePath, int sysError)
    : kva::Error(message), cause_(cause), devicePath_(devicePath), sysError_(sysError)
{
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
