// Grabs the main window with the "Úprava SMS" page while the messages are being stored in a
// phone on COM1 (KVA271_COM1, e.g. phonesim), for the documentation:
//   QT_QPA_PLATFORM=offscreen KVA271_COM1=/dev/pts/N kva-smsgrab docs/sms-vymena.png
// The grab is taken when the gauge reaches 42 (the fourth message); the store is then stopped
// by closing the window.
#include "PageControls.h"
#include "PhoneChannel.h"
#include "Unit4.h"
#include "alarm1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kva-smsgrab <output.png>\n");
        return 2;
    }
    QTemporaryDir settings; // keep the real setting.ini out of it
    TForm1 form1(settings.filePath(QStringLiteral("setting.ini")));
    TForm4* page = nullptr;
    form1.FormCreate(TForm1::programPages({}, {}, [&](kva::SimLink& f) { return page = new TForm4(f, form1.SmsCentreNumber); }));
    form1.PageControl1->setCurrentIndex(2);
    form1.show();
    form1.COM11Click();
    page->Button3Click();
    QElapsedTimer clock;
    clock.start();
    while (!(page->Gauge1->isVisible() && page->Gauge1->value() >= 42 &&
             page->VrLabel1->text().startsWith(QStringLiteral("Ukládám"))) &&
           form1.channel().busy() && clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!form1.channel().busy()) {
        std::fprintf(stderr, "no store in progress (is KVA271_COM1 a phone?)\n");
        return 1;
    }
    const bool saved = form1.grab().save(QString::fromLocal8Bit(argv[1]));
    form1.close();
    return saved ? 0 : 1;
}
