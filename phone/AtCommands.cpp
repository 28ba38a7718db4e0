#include "AtCommands.h"

#include "ControlCharacters.h"

namespace kva {

QByteArray probeCommand()
{
    return QByteArrayLiteral("AT\r");
}

QString phoneBookReadCommand(int position)
{
    return QStringLiteral("AT+CPBR=%1\r").arg(position);
}

QString phoneBookWriteCommand(int position, const QString& number, const QString& name)
{
    return QStringLiteral("AT+CPBW=%1,\"%2\",,\"%3\"\r").arg(position).arg(blankControls(number), blankControls(name));
}

QString phoneBookDeleteCommand(int position)
{
    return QStringLiteral("AT+CPBW=%1\r").arg(position);
}

QByteArray phoneBookMemoryCommand()
{
    return QByteArrayLiteral("AT+CPBS=\"SM\"\r");
}

QByteArray smsMemoryCommand()
{
    return QByteArrayLiteral("AT+CPMS=\"SM\",\"SM\",\"SM\"\r");
}

QByteArray pduModeCommand()
{
    return QByteArrayLiteral("AT+CMGF=0\r");
}

QByteArray escapeCommand()
{
    return QByteArrayLiteral("\x1b");
}

QByteArray smsDeleteCommand(int position)
{
    return "AT+CMGD=" + QByteArray::number(position) + '\r';
}

QByteArray smsAnnounceCommand(quint16 tpduLength)
{
    return "AT+CMGW=" + QByteArray::number(tpduLength) + '\r';
}

QByteArray smsPduCommand(const QByteArray& pduText)
{
    return pduText + '\x1a';
}

QString smsReadCommand(int position)
{
    return QStringLiteral("AT+CMGR=%1\r").arg(position);
}

} // namespace kva
