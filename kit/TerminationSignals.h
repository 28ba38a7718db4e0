#pragma once
#include <QObject>

// SIGTERM, SIGINT and SIGHUP (logout, Ctrl-C in the terminal, `kill`) close the main window
// like its close button, so the port is closed and setting.ini written before the program ends.
// The signal handler only writes to a pipe; the window is closed from the event loop.
class QWidget;

namespace kva {

void closeOnTerminationSignals(QWidget* window);

// The window property set (true) before a termination signal closes the window: the window
// asks the user nothing then.
inline const char* terminatingProperty() { return "kvaTerminating"; }

} // namespace kva
