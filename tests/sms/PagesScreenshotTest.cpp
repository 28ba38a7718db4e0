#include "TempDir.h"
#include "Unit4.h"
#include "Unit6.h"
#include "VrStrEdit.h"
#include "alarm1.h"

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
    form1.FormCreate({{},
                      [&](kva::PhoneChannel& f) { return sms = new TForm4(f); },
                      [&](kva::PhoneChannel& f) { return numbers = new TForm6(f); }});
    form1.show();

    const struct {
        int page;
        QWidget* window;
        const char* file;
    } pages[] = {{1, numbers, "telefonni-cisla.png"}, {2, sms, "uprava-sms.png"}};
    for (const auto& p : pages) {
        form1.PageControl1->setCurrentIndex(p.page);
        QWidget* tab = form1.PageControl1->widget(p.page);
        EXPECT_TRUE(p.window->isVisible());
        EXPECT_EQ(p.window->parentWidget(), tab);
        EXPECT_EQ(p.window->size(), tab->size()); // docked: fills the page
        // Every control fits inside the page.
        for (const QWidget* child : p.window->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(p.window))
                continue;
            const QRect r(child->mapTo(p.window, QPoint(0, 0)), child->size());
            EXPECT_TRUE(p.window->rect().contains(r)) << child->metaObject()->className() << ' '
                                                      << child->objectName().toStdString();
        }
        const QImage image = form1.grab().toImage();
        EXPECT_EQ(image.size(), form1.size());
        const QString target = qEnvironmentVariable("KVA271_SCREENSHOT_DIR");
        if (!target.isEmpty()) {
            EXPECT_TRUE(image.save(QDir(target).filePath(QString::fromLatin1(p.file))));
        }
    }
    EXPECT_EQ(sms->VrStrEdit19->text(), QStringLiteral("+420603052000"));
    form1.close();
}
