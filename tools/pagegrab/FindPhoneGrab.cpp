// The "Najít telefon…" dialog after "Vyzkoušet vše", with a phone on COM1 (phonesim):
//   QT_QPA_PLATFORM=offscreen KVA271_COM1=build/demo/COM1 kva-pagegrab --find-phone docs/najit-telefon.png
#include "FindPhoneDialog.h"
#include "alarm1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

int grabFindPhone(const QString& output)
{
    QTemporaryDir settings; // neither the real setting.ini nor ports.ini
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    TForm1 form1(settings.filePath(QStringLiteral("setting.ini")));
    form1.FormCreate({});
    form1.show();
    kva::FindPhoneDialog* dialog = form1.NajitTelefonClick();
    dialog->tryAllButton->click();
    QElapsedTimer clock;
    clock.start();
    while (dialog->probing() && clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (dialog->probing() || dialog->devices().isEmpty()) {
        std::fprintf(stderr, "no device tried (is KVA271_COM1 a phone?)\n");
        return 1;
    }
    QApplication::processEvents();
    const bool saved = dialog->grab().save(output);
    form1.close();
    return saved ? 0 : 1;
}
