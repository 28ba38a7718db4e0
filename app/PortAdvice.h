#pragma once
// The Czech line shown below "Nemohu otevřít port COMn": why the device could not be opened
// and what the user can do about it.
#include "AfUtils.h"

#include <QString>

namespace kva {

// One line naming the cause and the remedy; empty when the cause is not known (None).
// `deviceGroup` is the group owning the device (empty: unknown, "dialout" is named).
QString portOpenAdvice(TAfOpenFailure cause, int comNumber, const QString& devicePath,
                       const QString& deviceGroup = QString());

// The group owning the device file (empty when it cannot be found out).
QString deviceGroupOf(const QString& devicePath);

} // namespace kva
