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
                          const QString& deviceGroup)
{
    switch (cause) {
    case TAfOpenFailure::None:
        return QString();
    case TAfOpenFailure::NoPermission: {
        const QString group = deviceGroup.isEmpty() ? QStringLiteral("dialout") : deviceGroup;
        return QStringLiteral("K zařízení %1 nemáte přístup. Přidejte svého uživatele do skupiny %2 "
                              "(sudo usermod -aG %2 $USER) a znovu se přihlaste.")
            .arg(devicePath, group);
    }
    case TAfOpenFailure::Busy: {
        if (owners.isEmpty())
            return QStringLiteral("Zařízení %1 používá jiný program. Ukončete ho a zkuste to znovu.").arg(devicePath);
        QStringList names;
        for (const PortOwner& o : owners)
            names.append(QStringLiteral("%1 (PID %2)").arg(o.name).arg(o.pid));
        QString text = QStringLiteral("Zařízení %1 používá program %2. Ukončete ho a zkuste to znovu.")
                           .arg(devicePath, names.join(QStringLiteral(", ")));
        for (const PortOwner& o : owners)
            if (o.name == QStringLiteral("ModemManager")) {
                text += QStringLiteral(" ModemManager zastavíte příkazem sudo systemctl stop ModemManager.");
                break;
            }
        return text;
    }
    case TAfOpenFailure::NoSuchDevice:
        return QStringLiteral("Zařízení %1 není připojeno. Připojte telefon kabelem.").arg(devicePath);
    case TAfOpenFailure::NoHardware:
        return QStringLiteral("Za zařízením %1 není připojen žádný port. Připojte kabel.").arg(devicePath);
    case TAfOpenFailure::NotATerminal:
        return QStringLiteral("Zařízení %1 není sériový port.").arg(devicePath);
    case TAfOpenFailure::Other:
        break;
    }
    return QStringLiteral("Zařízení %1 nelze otevřít.").arg(devicePath);
}

} // namespace kva
