// Grabs the main window with the "Konfigurace" page into a PNG (for the documentation):
//   QT_QPA_PLATFORM=offscreen kva-pagegrab docs/konfigurace.png
// or, with a phone on COM1 (KVA271_COM1, e.g. phonesim), while a write to the phone runs:
//   QT_QPA_PLATFORM=offscreen KVA271_COM1=/dev/pts/N kva-pagegrab --exchange docs/vymena.png
// and the "Telefonní čísla" page while its write runs:
//   QT_QPA_PLATFORM=offscreen KVA271_COM1=/dev/pts/N kva-pagegrab --numbers-exchange docs/cisla-vymena.png
// and the phone search after trying every device, with a simulated phone and a silent one
// (FindPhoneGrab.cpp): --find-phone <output.png> <phone device> <silent device>
#include "PhoneChannel.h"
#include "Unit5.h"
#include "alarm1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int grabNumbersExchange(const QString& output); // NumbersExchange.cpp
int grabFindPhone(const QString& output, const QString& phoneDevice, const QString& silentDevice); // FindPhoneGrab.cpp

namespace {

int grabExchange(const QString& output)
{
    QTemporaryDir settings;
    TForm1 form1(settings.filePath(QStringLiteral("setting.ini")));
    TForm5* page = nullptr;
    form1.FormCreate(TForm1::programPages([&](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}));
    form1.show();
    form1.COM11Click();
    page->BitBtn3Click();
    QElapsedTimer clock;
    clock.start();
    while (!(page->Gauge1->isVisible() && page->Gauge1->value() >= 50) && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!page->Gauge1->isVisible()) {
        std::fprintf(stderr, "no exchange in progress (is KVA271_COM1 a phone?)\n");
        return 1;
    }
    const bool saved = form1.grab().save(output);
    while (form1.channel().busy() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    form1.close();
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--exchange")
        return grabExchange(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && QByteArray(argv[1]) == "--numbers-exchange")
        return grabNumbersExchange(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && QByteArray(argv[1]) == "--find-phone")
        return grabFindPhone(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                             QString::fromLocal8Bit(argv[4]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: kva-pagegrab [--exchange | --numbers-exchange] <output.png>\n"
                             "       kva-pagegrab --find-phone <output.png> <phone device> <silent device>\n");
        return 2;
    }
    QTemporaryDir settings; // keep the real setting.ini out of it
    TForm1 form1(settings.filePath(QStringLiteral("setting.ini")));
    TForm5* page = nullptr;
    form1.FormCreate(TForm1::programPages([&](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}));
    // A configuration as a user might load it: "Autentizace zapnuta", "Impuls", and the times
    // 90 s, 2 min + 30 s, 1 min + 0 s.
    page->StaticText1->setText(QStringLiteral("+000000000011"));
    page->Nastaveni_checku(page->StaticText1->text());
    page->StaticText2->setText(QStringLiteral("+000000092310"));
    page->Nastaveni_casu(page->StaticText2->text());
    form1.show();
    QApplication::processEvents();
    const QSize needed = page->minimumSizeHint();
    const QSize available = form1.tab(0)->size();
    std::printf("page %dx%d, window needs %dx%d\n", available.width(), available.height(), needed.width(),
                needed.height());
    if (!form1.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return needed.width() <= available.width() && needed.height() <= available.height() ? 0 : 3;
}
