#include "Unit6.h"

#include "alarm1.h"

TForm6::TForm6(TForm1& form1, QWidget* parent) : QWidget(parent), form1_(form1)
{
    setWindowTitle(QStringLiteral("Ukládání telefonních čísel"));
}
