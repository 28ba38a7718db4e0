#include "InfoWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace kva {

void setUpInfoWindow(QWidget& window, const QString& caption, QSize clientSize)
{
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window.setWindowTitle(caption);
    window.setFixedSize(clientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), clientSize);
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

void showInFront(QWidget& window)
{
    window.show();
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
}

} // namespace kva
