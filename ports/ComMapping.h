#pragma once
// Which device each COM name of the Port menu stands for. In order of precedence:
// $KVA271_COMn, then the program's own ports.ini ($XDG_CONFIG_HOME/kva271-config/ports.ini,
// written by "Najít telefon…"), then the built-in table (COM1 = /dev/ttyUSB0 …).
//
// ports.ini is plain UTF-8, one "COMn=device" line per assigned name; other lines are
// ignored, so an empty, damaged or binary file maps nothing.
#include <QByteArray>
#include <QMap>
#include <QString>

namespace kva {

constexpr int ComNameCount = 6;

enum class MappingSource { None, Environment, PortsIni, BuiltIn };

struct ComTarget {
    QString device; // empty: the name stands for nothing
    MappingSource source = MappingSource::None;
};

using PortAssignments = QMap<int, QString>; // COM number -> device path

// $XDG_CONFIG_HOME/kva271-config/ports.ini ($HOME/.config when XDG_CONFIG_HOME is not set).
QString portsIniPath();

PortAssignments parsePortsIni(const QByteArray& bytes);
QByteArray formatPortsIni(const PortAssignments& assignments);
// Missing or unreadable file: no assignments. Reads at most the first 64 KiB.
PortAssignments readPortsIni(const QString& path);

// The device behind COMn given the assignments of ports.ini.
ComTarget resolveCom(int comNumber, const PortAssignments& assignments);
// The same, reading ports.ini now.
ComTarget resolveCom(int comNumber);

// Gives COMn to `device` in ports.ini; a COM name that pointed at the same device loses it,
// so one device has one name. Creates the folder; throws FileError when it cannot write.
void assignCom(int comNumber, const QString& device, const QString& iniPath = portsIniPath());

// The same device behind two paths (a by-id link and its kernel name, say).
bool sameDevice(const QString& a, const QString& b);

// Makes the serial layer open COM names through resolveCom().
void installComMapping();

} // namespace kva
