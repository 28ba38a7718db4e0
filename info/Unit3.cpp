#include "Unit3.h"

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Nápověda"));
}

void TForm3::showAndRaise()
{
    show();
    raise();
    activateWindow();
}
