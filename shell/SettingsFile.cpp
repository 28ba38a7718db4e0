#include "SettingsFile.h"

#include "KvaError.h"
#include "LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kva {

QString settingsFilePath(const QString& executableDir)
{
    // An installed program (under /usr or /opt) never writes beside itself, even when run as root.
    const QFileInfo dir(executableDir);
    const bool systemFolder = executableDir.startsWith(QStringLiteral("/usr/")) || executableDir.startsWith(QStringLiteral("/opt/"));
    if (!systemFolder && dir.isDir() && dir.isWritable())
        return QDir(executableDir).filePath(QStringLiteral("setting.ini"));
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = config + QStringLiteral("/kva271-config");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/setting.ini");
}

Settings readSettings(const QString& path)
{
    Settings s;
    if (!QFileInfo::exists(path)) {
        writeLineFile(path, {});
        s.smsCentreNumber = defaultSmsCentreNumber();
        return s;
    }
    const QStringList lines = readLineFile(path, 2);
    s.startupPortName = lines[0];
    s.smsCentreNumber = lines[1].isEmpty() ? defaultSmsCentreNumber() : lines[1];
    return s;
}

void writeSettings(const QString& path, const QString& portName, const QString& smsCentreNumber)
{
    writeLineFile(path, {portName.isEmpty() ? QStringLiteral(" ") : portName, smsCentreNumber});
}

} // namespace kva
