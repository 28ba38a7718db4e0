#include "AppTexts.h"
#include "FirstFrame.h"
#include "InfoWindows.h"
#include "KvaResources.h"
#include "TerminationSignals.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kva271-config"));
    // Lets the desktop match the windows to the installed .desktop entry (icon, name).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.kva271config"));

    TForm1 form1;
    form1.FormCreate(TForm1::programPages(
        [](kva::SimLink& sim) { return new TForm5(sim); },
        [](kva::SimLink& sim) { return new TForm6(sim); },
        [&form1](kva::SimLink& sim) { return new TForm4(sim, form1.SmsCentreNumber); }),
        TForm1::HiddenPages::AfterFirstFrame);

    kva::createInfoWindows(form1);

    kva::closeOnTerminationSignals(&form1);
    // Reading the icon's eight pictures waits until the window is on the screen.
    kva::afterFirstFrame(form1, [] { QApplication::setWindowIcon(kva::applicationIcon()); });
    kva::exitAtFirstFrameIfAsked(form1);
    form1.show();
    return app.exec();
}
