#pragma once
#include <QWidget>

namespace kva {

// Shared frame of the two information windows: a fixed client size, a title bar with a close
// box only, centred on the desktop.
void setUpInfoWindow(QWidget& window, const QString& caption, QSize clientSize);

// Shows the window, or brings it to the front when it is already shown.
void showInFront(QWidget& window);

} // namespace kva
