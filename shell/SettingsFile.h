#pragma once
#include <QString>

namespace kva {

inline QString defaultSmsCentreNumber() { return QStringLiteral("+420603052000"); }

// Where setting.ini lives: beside the executable when that folder is writable (a build tree,
// a portable copy), otherwise $XDG_CONFIG_HOME/kva271-config (an installed program).
QString settingsFilePath(const QString& executableDir);

struct Settings {
    QString startupPortName;
    QString smsCentreNumber;
};

// A missing file is created empty and gives the defaults. Any content is accepted: line 1 is the
// port name as read, an empty or missing line 2 gives the default centre number.
// Throws FileError when the file exists but cannot be read, or cannot be created.
Settings readSettings(const QString& path);

// Line 1: the port name, " " when none; line 2: the SMS centre number. Throws FileError.
void writeSettings(const QString& path, const QString& portName, const QString& smsCentreNumber);

} // namespace kva
