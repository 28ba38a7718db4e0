// The "Telefonní čísla" page while its write to the phone on COM1 runs (see main.cpp).
#include "PageControls.h"
#include "PhoneChannel.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int grabNumbersExchange(const QString& output)
{
    QTemporaryDir settings;
    TForm1 form1(settings.filePath(QStringLiteral("setting.ini")));
    TForm6* page = nullptr;
    form1.FormCreate(TForm1::programPages({}, [&](kva::SimLink& f) { return page = new TForm6(f); }, {}));
    form1.PageControl1->setCurrentWidget(form1.tab(1));
    form1.show();
    form1.COM11Click();
    page->Button2Click();
    QElapsedTimer clock;
    clock.start();
    while (!(page->Gauge1->isVisible() && page->Gauge1->value() >= 40) && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!page->Gauge1->isVisible()) {
        std::fprintf(stderr, "no exchange in progress (is KVA271_COM1 a phone?)\n");
        return 1;
    }
    const bool saved = form1.grab().save(output);
    form1.close();
    return saved ? 0 : 1;
}
