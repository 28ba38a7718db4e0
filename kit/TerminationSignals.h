#pragma once
#include <QObject>

// SIGTERM, SIGINT and SIGHUP (logout, Ctrl-C in the terminal, `kill`) close the main window
// like its close button, so the port is closed and setting.ini written before the program ends.
// The signal handler only writes to a pipe; the window is closed from the event loop.
class QWidget;

namespace kva {

void closeOnTerminationSignals(QWidget* window);

} // namespace kva
