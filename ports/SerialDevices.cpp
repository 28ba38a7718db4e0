#include "SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace kva {

bool SerialDevice::builtIn() const
{
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS[0-9]+$"));
    return !hasUsbIds && ttyS.match(kernelPath).hasMatch();
}

QString SerialDevice::displayName() const
{
    if (!byIdPath.isEmpty())
        return byIdPath;
    if (!mappedPath.isEmpty())
        return mappedPath;
    return kernelPath;
}

QString SerialDevice::usbIds() const
{
    if (!hasUsbIds)
        return QString();
    return QStringLiteral("%1:%2").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0'));
}

QMap<QString, QString> byIdLinks(const QString& byIdDir)
{
    QMap<QString, QString> links;
    const QFileInfoList entries = QDir(byIdDir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot,
                                                              QDir::Name);
    for (const QFileInfo& e : entries) {
        const QString target = e.canonicalFilePath();
        if (!target.isEmpty() && !links.contains(target))
            links.insert(target, e.absoluteFilePath());
    }
    return links;
}

QList<SerialDevice> QtDeviceEnumerator::devices() const
{
    const QMap<QString, QString> links = byIdLinks(byIdDir_);
    QList<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.kernelPath = info.systemLocation();
        d.byIdPath = links.value(QFileInfo(d.kernelPath).canonicalFilePath());
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        d.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        d.vendorId = info.vendorIdentifier();
        d.productId = info.productIdentifier();
        out.append(d);
    }
    return out;
}

namespace {

bool matches(const SerialDevice& d, const QString& path)
{
    return d.kernelPath == path || d.byIdPath == path || d.mappedPath == path ||
           (d.present && sameDevice(d.kernelPath, path));
}

constexpr int HiddenRank = 4;

int rank(const SerialDevice& d)
{
    if (!d.present)
        return 3;
    if (d.builtIn())
        return d.comNames.isEmpty() ? HiddenRank : 2;
    return d.hasUsbIds ? 0 : 1;
}

} // namespace

QList<SerialDevice> deviceList(QList<SerialDevice> enumerated, const QMap<int, ComTarget>& comTargets, bool showAll)
{
    QList<SerialDevice> list = std::move(enumerated);
    for (auto it = comTargets.begin(); it != comTargets.end(); ++it) {
        const QString path = it.value().device;
        if (path.isEmpty())
            continue;
        auto found = std::find_if(list.begin(), list.end(), [&](const SerialDevice& d) { return matches(d, path); });
        if (found == list.end()) {
            const bool exists = QFileInfo::exists(path);
            // The built-in table names six devices; only those that exist are worth a row.
            if (!exists && it.value().source == MappingSource::BuiltIn)
                continue;
            SerialDevice d;
            d.present = exists;
            const QString canonical = exists ? QFileInfo(path).canonicalFilePath() : QString();
            d.kernelPath = canonical.isEmpty() ? path : canonical;
            if (d.kernelPath != path)
                d.mappedPath = path;
            list.append(d);
            found = list.end() - 1;
        }
        found->comNames.append(it.key());
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const SerialDevice& a, const SerialDevice& b) { return rank(a) < rank(b); });
    if (!showAll)
        list.erase(std::remove_if(list.begin(), list.end(), [](const SerialDevice& d) { return rank(d) == HiddenRank; }),
                   list.end());
    return list;
}

QMap<int, ComTarget> currentComTargets()
{
    const PortAssignments assignments = readPortsIni(portsIniPath());
    QMap<int, ComTarget> targets;
    for (int n = 1; n <= ComNameCount; ++n)
        targets.insert(n, resolveCom(n, assignments));
    return targets;
}

} // namespace kva
