#include "InfoWindows.h"

#include "Unit2.h"
#include "Unit3.h"
#include "alarm1.h"

#include <QAction>

namespace kva {
namespace {

template <class Window>
void showOnChoice(TForm1& mainWindow, QAction* item)
{
    QObject::connect(item, &QAction::triggered, &mainWindow, [&mainWindow] {
        auto* window = mainWindow.findChild<Window*>(QString(), Qt::FindDirectChildrenOnly);
        if (!window)
            window = new Window(&mainWindow);
        window->showAndRaise();
    });
}

} // namespace

void createInfoWindows(TForm1& mainWindow)
{
    showOnChoice<TForm3>(mainWindow, mainWindow.Napoveda1);
    showOnChoice<TForm2>(mainWindow, mainWindow.Oaplikaci2);
}

} // namespace kva
