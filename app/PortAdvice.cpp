#include "PortAdvice.h"

#include <QFileInfo>

namespace kva {

QString portOpenAdvice(TAfOpenFailure cause, int comNumber, const QString& devicePath, const QString& deviceGroup)
{
    const QString device = devicePath.isEmpty() ? QStringLiteral("(žádné)") : devicePath;
    const QString variable = QStringLiteral("KVA271_COM%1").arg(comNumber);
    switch (cause) {
    case TAfOpenFailure::None:
        return QString();
    case TAfOpenFailure::NoPermission: {
        const QString group = deviceGroup.isEmpty() ? QStringLiteral("dialout") : deviceGroup;
        return QStringLiteral("Příčina: k zařízení %1 nemáte přístup. Přidejte svého uživatele do skupiny %2 "
                              "(sudo usermod -aG %2 $USER) a znovu se přihlaste.")
            .arg(device, group);
    }
    case TAfOpenFailure::Busy:
        return QStringLiteral("Příčina: zařízení %1 používá jiný program (například ModemManager). "
                              "Ukončete ho a zvolte port znovu.")
            .arg(device);
    case TAfOpenFailure::NoSuchDevice:
        return QStringLiteral("Příčina: COM%1 odpovídá zařízení %2, které neexistuje. Připojte telefon, "
                              "nebo proměnnou prostředí %3 nastavte na jiné zařízení.")
            .arg(QString::number(comNumber), device, variable);
    case TAfOpenFailure::NoHardware:
        return QStringLiteral("Příčina: za zařízením %1 (COM%2) není připojen žádný port. Připojte kabel, "
                              "nebo proměnnou prostředí %3 nastavte na jiné zařízení.")
            .arg(device, QString::number(comNumber), variable);
    case TAfOpenFailure::NotATerminal:
        return QStringLiteral("Příčina: %1 (COM%2) není sériový port. Proměnnou prostředí %3 nastavte "
                              "na zařízení telefonu.")
            .arg(device, QString::number(comNumber), variable);
    case TAfOpenFailure::Other:
        break;
    }
    return QStringLiteral("Příčina: zařízení %1 (COM%2) nelze otevřít. Zkontrolujte kabel, nebo proměnnou "
                          "prostředí %3 nastavte na jiné zařízení.")
        .arg(device, QString::number(comNumber), variable);
}

QString deviceGroupOf(const QString& devicePath)
{
    if (devicePath.isEmpty())
        return QString();
    const QFileInfo info(devicePath);
    return info.exists() ? info.group() : QString();
}

} // namespace kva
