#include "Unit2.h"

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("O aplikaci"));
}

void TForm2::showAndRaise()
{
    show();
    raise();
    activateWindow();
}
