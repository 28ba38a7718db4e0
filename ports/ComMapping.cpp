#include "ComMapping.h"

#include "AfUtils.h"
#include "LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kva {

namespace {
constexpr qint64 MaxIniBytes = 64 * 1024;
}

QString portsIniPath()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) // relative values are to be ignored
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/kva271-config/ports.ini");
}

PortAssignments parsePortsIni(const QByteArray& bytes)
{
    PortAssignments out;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq < 0 || !line.startsWith("COM"))
            continue;
        bool ok = false;
        const int n = line.mid(3, eq - 3).trimmed().toInt(&ok);
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (!ok || n < 1 || n > ComNameCount || value.isEmpty() || value.contains('\0'))
            continue;
        const QString device = QString::fromUtf8(value);
        if (!device.contains(QChar::ReplacementCharacter) && QDir::isAbsolutePath(device))
            out.insert(n, device);
    }
    return out;
}

QByteArray formatPortsIni(const PortAssignments& assignments)
{
    QByteArray out = "# kva271-config: COM names of the Port menu and their devices (Port > Najít telefon…)\n";
    for (auto it = assignments.begin(); it != assignments.end(); ++it)
        out += "COM" + QByteArray::number(it.key()) + '=' + it.value().toUtf8() + '\n';
    return out;
}

PortAssignments readPortsIni(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parsePortsIni(file.read(MaxIniBytes));
}

ComTarget resolveCom(int comNumber, const PortAssignments& assignments)
{
    if (comNumber < 1)
        return {};
    const QByteArray fromEnv = qgetenv(QByteArray("KVA271_COM") + QByteArray::number(comNumber));
    if (!fromEnv.isEmpty())
        return {QString::fromLocal8Bit(fromEnv), MappingSource::Environment};
    if (assignments.contains(comNumber))
        return {assignments.value(comNumber), MappingSource::PortsIni};
    const QString builtIn = AfBuiltInComDevice(comNumber);
    return builtIn.isEmpty() ? ComTarget{} : ComTarget{builtIn, MappingSource::BuiltIn};
}

ComTarget resolveCom(int comNumber)
{
    return resolveCom(comNumber, readPortsIni(portsIniPath()));
}

bool sameDevice(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

void assignCom(int comNumber, const QString& device, const QString& iniPath)
{
    PortAssignments assignments = readPortsIni(iniPath);
    for (auto it = assignments.begin(); it != assignments.end();) {
        if (it.key() != comNumber && sameDevice(it.value(), device))
            it = assignments.erase(it);
        else
            ++it;
    }
    assignments.insert(comNumber, device);
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    writeBytesFile(iniPath, formatPortsIni(assignments));
}

void installComMapping()
{
    AfSetComDeviceResolver([](int n) { return resolveCom(n).device; });
}

} // namespace kva
