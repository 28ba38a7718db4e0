#include "AppTexts.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kva271-config"));

    TForm1 form1;
    form1.FormCreate({
        [](TForm1& f) { return new TForm5(f); },
        [](TForm1& f) { return new TForm4(f); },
        [](TForm1& f) { return new TForm6(f); },
    });

    TForm3 help(&form1);
    TForm2 about(&form1);
    QObject::connect(form1.Napoveda1, &QAction::triggered, &help, &TForm3::showAndRaise);
    QObject::connect(form1.Oaplikaci2, &QAction::triggered, &about, &TForm2::showAndRaise);

    form1.show();
    return app.exec();
}
