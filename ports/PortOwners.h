#pragma once
// Who holds a serial device, and the Czech cause and remedy when one cannot be opened.
// A busy port that is ModemManager costs people hours; where the system lets us see the
// other program (its /proc/<pid>/fd entries), we name it.
#include "AfUtils.h"

#include <QList>
#include <QString>

namespace kva {

struct PortOwner {
    qint64 pid = 0;
    QString name; // /proc/<pid>/comm
};

// Processes with an open descriptor on `devicePath` (compared after resolving links), found
// under `procRoot` (tests give a fake tree). Processes we may not look into are skipped.
QList<PortOwner> portOwners(const QString& devicePath, const QString& procRoot = QStringLiteral("/proc"));

// The one explanation of a failed opening (cause and remedy, one line), for a row of the phone
// search and, after "Příčina: ", the port menu's error box: permission -> the device's group
// (dialout when unknown); busy -> the owners by name, else "another program"; gone -> plug it in.
// `comNumber` > 0: the port menu's COM item, which also names how to point it elsewhere.
// Empty for TAfOpenFailure::None.
QString deviceProblemText(TAfOpenFailure cause, const QString& devicePath, const QList<PortOwner>& owners,
                          const QString& deviceGroup = QString(), int comNumber = 0);

// The group owning the device file (empty when it cannot be found out).
QString deviceGroupOf(const QString& devicePath);

} // namespace kva
