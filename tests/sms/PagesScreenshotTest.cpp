#include "TempDir.h"
#include "Unit4.h"
#include "Unit6.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <gtest/gtest.h>

// Both data pages docked in the main window, grabbed as the user sees them. With
// KVA271_SCREENSHOT_DIR set, the pictures are saved there (docs/ of the repository).
TEST(Pages, DockedPagesFillTheirTabAndRender)
{
    TempDir dir;
    TForm1 form1(dir.path("setting.ini"));
    TForm4* sms = nullptr;
    TForm6* numbers = nullptr;
    form1.FormCreate(TForm1::programPages({}, [&](kva::SimLink& f) { return numbers = new TForm6(f); },
                                          [&](kva::SimLink& f) { return sms = new TForm4(f, form1.SmsCentreNumber); }));
    form1.show();

    const auto check = [&](int page, QWidget* window, const char* file) {
        form1.PageControl1->setCurrentIndex(page);
        QApplication::processEvents(); // layouts follow the texts just set
        QWidget* tab = form1.PageControl1->widget(page);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->parentWidget(), tab);
        EXPECT_EQ(window->size(), tab->size()); // docked: fills the page
        // Every control fits inside the page.
        for (const QWidget* child : window->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(window))
                continue;
            const QRect r(child->mapTo(window, QPoint(0, 0)), child->size());
            EXPECT_TRUE(window->rect().contains(r)) << file << ' ' << child->metaObject()->className() << ' '
                                                    << child->objectName().toStdString();
        }
        const QImage image = form1.grab().toImage();
        EXPECT_EQ(image.size(), form1.size());
        const QString target = qEnvironmentVariable("KVA271_SCREENSHOT_DIR");
        if (!target.isEmpty() && *file) {
            EXPECT_TRUE(image.save(QDir(target).filePath(QString::fromLatin1(file))));
        }
    };
    check(1, numbers, "telefonni-cisla.png");
    check(2, sms, "uprava-sms.png");
    // One text the recipient's phone shows otherwise: its mark, preview and the replace button.
    sms->VrStrEdit10->setText(QStringLiteral("Měsíční zpráva"));
    check(2, sms, "uprava-sms-nahled.png");
    // Nine of them still fit.
    for (int i = 0; i < kva::sms::PairCount; ++i)
        sms->textField(i)->setText(QString(50, u'ž'));
    check(2, sms, "");
    EXPECT_EQ(sms->VrStrEdit19->text(), QStringLiteral("+420603052000"));
    form1.close();
}
