#include "InfoWindows.h"

#include "Unit2.h"
#include "Unit3.h"
#include "alarm1.h"

#include <QAction>

namespace kva {

InfoWindows createInfoWindows(TForm1& mainWindow)
{
    InfoWindows windows;
    windows.help = new TForm3(&mainWindow);
    windows.about = new TForm2(&mainWindow);
    QObject::connect(mainWindow.Napoveda1, &QAction::triggered, windows.help, &TForm3::showAndRaise);
    QObject::connect(mainWindow.Oaplikaci2, &QAction::triggered, windows.about, &TForm2::showAndRaise);
    return windows;
}

} // namespace kva
