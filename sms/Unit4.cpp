#include "Unit4.h"

#include "alarm1.h"

TForm4::TForm4(TForm1& form1, QWidget* parent) : QWidget(parent), form1_(form1)
{
    setWindowTitle(QStringLiteral("Úprava SMS"));
}
