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

// The cause and the remedy of a failed opening, for a row of the phone search and the port
// menu's error box: permission -> the dialout group; busy -> the owners by name, else
// "another program"; gone -> plug it in.
QString deviceProblemText(TAfOpenFailure cause, const QString& devicePath, const QList<PortOwner>& owners,
                          const QString& deviceGroup = QString());

} // namespace kva
