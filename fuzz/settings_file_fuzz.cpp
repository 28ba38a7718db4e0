// setting.ini from anywhere: any bytes give a port name and a non-empty SMS-centre number, and
// what the program writes back at exit reads back the same at the next start.
#include "FuzzSupport.h"
#include "LineFile.h"
#include "SettingsFile.h"

using namespace kva;
using kva::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fuzz::ScratchFile input("setting.ini");
    static const fuzz::ScratchFile saved("saved.ini");
    const QByteArray bytes = fuzz::bytesOf(data, size);

    input.write(bytes);
    const Settings s = readSettings(input.path());
    const QStringList lines = splitLines(bytes, 2);
    check(s.startupPortName == lines[0], "port name is not line 1 as read");
    check(!s.smsCentreNumber.isEmpty(), "empty SMS-centre number");
    check(lines[1].isEmpty() ? s.smsCentreNumber == defaultSmsCentreNumber() : s.smsCentreNumber == lines[1],
          "SMS-centre number is neither line 2 nor the default");
    check(input.read() == bytes, "reading changed an existing settings file");

    writeSettings(saved.path(), s.startupPortName, s.smsCentreNumber);
    const Settings again = readSettings(saved.path());
    check(again.smsCentreNumber == s.smsCentreNumber, "SMS-centre number does not survive a save");
    check(again.startupPortName == (s.startupPortName.isEmpty() ? QStringLiteral(" ") : s.startupPortName),
          "port name does not survive a save");
    return 0;
}
