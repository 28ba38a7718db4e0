#include "PortOwners.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace kva {

QList<PortOwner> portOwners(const QString& devicePath, const QString& procRoot)
{
    QList<PortOwner> owners;
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (target.isEmpty())
        return owners;
    const QStringList pids = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pidName : pids) {
        bool numeric = false;
        const qint64 pid = pidName.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QString fdDir = procRoot + u'/' + pidName + QStringLiteral("/fd");
        // Unreadable for another user's process: entryList is empty and we move on.
        const QStringList fds = QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : fds) {
            if (QFileInfo(fdDir + u'/' + fd).symLinkTarget() != target)
                continue;
            QFile comm(procRoot + u'/' + pidName + QStringLiteral("/comm"));
            QString name;
            if (comm.open(QIODevice::ReadOnly))
                name = QString::fromUtf8(comm.read(64)).trimmed();
            owners.append({pid, name.isEmpty() ? QStringLiteral("?") : name});
            break;
        }
    }
    return owners;
}

QString deviceProblemText(TAfOpenFailure cause, const QString& devicePath, const QList<PortOwner>& owners,
                          const QString& deviceGroup, int comNumber)
{
    const QString device = devicePath.isEmpty() ? QStringLiteral("(žádné)") : devicePath;
    // The port menu names the COM item and how to point it elsewhere; the phone search lists
    // devices, not COM names.
    const QString elsewhere = comNumber > 0
        ? QStringLiteral(", nebo proměnnou prostředí KVA271_COM%1 nastavte na jiné zařízení.").arg(comNumber)
        : QStringLiteral(".");
    const QString com = comNumber > 0 ? QStringLiteral(" (COM%1)").arg(comNumber) : QString();
    switch (cause) {
    case TAfOpenFailure::None:
        return QString();
    case TAfOpenFailure::NoPermission: {
        const QString group = deviceGroup.isEmpty() ? QStringLiteral("dialout") : deviceGroup;
        return QStringLiteral("K zařízení %1 nemáte přístup. Přidejte svého uživatele do skupiny %2 "
                              "(sudo usermod -aG %2 $USER) a znovu se přihlaste.")
            .arg(device, group);
    }
    case TAfOpenFailure::Busy: {
        if (owners.isEmpty())
            return QStringLiteral("Zařízení %1 používá jiný program (například ModemManager). Ukončete ho a zkuste "
                                  "to znovu.")
                .arg(device);
        QStringList names;
        for (const PortOwner& o : owners)
            names.append(QStringLiteral("%1 (PID %2)").arg(o.name).arg(o.pid));
        QString text = QStringLiteral("Zařízení %1 používá program %2. Ukončete ho a zkuste to znovu.")
                           .arg(device, names.join(QStringLiteral(", ")));
        for (const PortOwner& o : owners)
            if (o.name == QStringLiteral("ModemManager")) {
                text += QStringLiteral(" ModemManager zastavíte příkazem sudo systemctl stop ModemManager.");
                break;
            }
        return text;
    }
    case TAfOpenFailure::NoSuchDevice:
        if (comNumber > 0)
            return QStringLiteral("COM%1 odpovídá zařízení %2, které neexistuje. Připojte telefon")
                       .arg(QString::number(comNumber), device) + elsewhere;
        return QStringLiteral("Zařízení %1 není připojeno. Připojte telefon kabelem.").arg(device);
    case TAfOpenFailure::NoHardware:
        return QStringLiteral("Za zařízením %1%2 není připojen žádný port. Připojte kabel").arg(device, com) + elsewhere;
    case TAfOpenFailure::NotATerminal:
        return QStringLiteral("Zařízení %1%2 není sériový port.").arg(device, com)
            + (comNumber > 0 ? QStringLiteral(" Proměnnou prostředí KVA271_COM%1 nastavte na zařízení telefonu.").arg(comNumber)
                             : QString());
    case TAfOpenFailure::Other:
        break;
    }
    return QStringLiteral("Zařízení %1%2 nelze otevřít. Zkontrolujte kabel").arg(device, com) + elsewhere;
}

QString deviceGroupOf(const QString& devicePath)
{
    if (devicePath.isEmpty())
        return QString();
    const QFileInfo info(devicePath);
    return info.exists() ? info.group() : QString();
}

} // namespace kva
