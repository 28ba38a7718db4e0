#include "InfoWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QScreen>

namespace kva {
namespace {

const char* const InfoWindowProperty = "kvaInfoWindow";

// A top-level plain QWidget reports itself to screen readers as a client area ("filler");
// the information windows say what they are: windows.
QAccessibleInterface* infoWindowAccessible(const QString& /*className*/, QObject* object)
{
    if (object && object->isWidgetType() && object->property(InfoWindowProperty).toBool())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void setUpInfoWindow(QWidget& window, const QString& caption, QSize clientSize)
{
    static const bool factoryInstalled = (QAccessible::installFactory(infoWindowAccessible), true);
    Q_UNUSED(factoryInstalled);
    window.setProperty(InfoWindowProperty, true);
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
