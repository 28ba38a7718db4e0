// Grabs the main window with the "Konfigurace" page into a PNG (for the documentation):
//   QT_QPA_PLATFORM=offscreen kva-pagegrab docs/konfigurace.png
#include "Unit5.h"
#include "alarm1.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kva-pagegrab <output.png>\n");
        return 2;
    }
    QTemporaryDir settings; // keep the real setting.ini out of it
    TForm1 form1(settings.filePath(QStringLiteral("setting.ini")));
    TForm5* page = nullptr;
    form1.FormCreate({[&](TForm1& f) { return page = new TForm5(f); }, {}, {}});
    // A configuration as a user might load it: "Autentizace zapnuta", "Impuls", and the times
    // 90 s, 2 min + 30 s, 1 min + 0 s.
    form1.ReplyBuffer = QStringLiteral("+000000000011");
    page->StaticText1->setText(form1.ReplyBuffer);
    page->Nastaveni_checku();
    form1.ReplyBuffer = QStringLiteral("+000000092310");
    page->StaticText2->setText(form1.ReplyBuffer);
    page->Nastaveni_casu();
    form1.show();
    QApplication::processEvents();
    const QSize needed = page->minimumSizeHint();
    const QSize available = form1.TabSheet1->size();
    std::printf("page %dx%d, window needs %dx%d\n", available.width(), available.height(), needed.width(),
                needed.height());
    if (!form1.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return needed.width() <= available.width() && needed.height() <= available.height() ? 0 : 3;
}
