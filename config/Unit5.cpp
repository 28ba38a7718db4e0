#include "Unit5.h"

#include "alarm1.h"

TForm5::TForm5(TForm1& form1, QWidget* parent) : QWidget(parent), form1_(form1)
{
    setWindowTitle(QStringLiteral("Konfigurace"));
}
