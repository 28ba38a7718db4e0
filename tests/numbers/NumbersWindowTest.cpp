#include "MessageBoxes.h"
#include "PageControls.h"
#include "RecordedDialogs.h"
#include "TempDir.h"
#include "TypeText.h"
#include "Unit6.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kva::numbers;

namespace {

class NumbersWindow : public RecordedDialogs {
protected:
    TempDir dir;
    TForm1 form1{dir.path("setting.ini")};
    TForm6 form{form1.simLink()};
};

} // namespace

TEST_F(NumbersWindow, StartsWithTheDocumentedControls)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ukládání telefonních čísel"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Zadejte telefonní čísla v mezinárodním formátu"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("a jméno bez diakritiky"));
    const char* rows[] = {"1. pozice", "2. pozice", "3. pozice", "4. pozice", "7. pozice"};
    for (int i = 0; i < EntryCount; ++i)
        EXPECT_EQ(form.rowLabels[i]->text(), QString::fromLatin1(rows[i]));
    EXPECT_EQ(form.entries(), initialEntries());
    EXPECT_EQ(form.VrStrEdit1->text(), QStringLiteral("+420603123456"));
    EXPECT_EQ(form.VrStrEdit10->text(), QStringLiteral("Udrzení_kreditu"));
    EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("Čísla v aplikaci vymazat"));
    EXPECT_EQ(form.BitBtn1->toolTip(), QStringLiteral("Maže pouze v programu, ne v telefonu"));
    EXPECT_EQ(form.Button1->text(), QStringLiteral("Načíst telefonní čísla z telefonu"));
    EXPECT_EQ(form.Button2->text(), QStringLiteral("Uložit telefonní čísla do telefonu"));
    EXPECT_EQ(form.BitBtn2->text(), QStringLiteral("Načíst čísla ze souboru"));
    EXPECT_EQ(form.BitBtn3->text(), QStringLiteral("Uložit čísla do souboru"));
    EXPECT_TRUE(form.VrLabel1->text().isEmpty());
    EXPECT_TRUE(form.Gauge1->isHidden());
    EXPECT_EQ(form.Gauge1->minimum(), 0);
    EXPECT_EQ(form.Gauge1->maximum(), 100);
}

TEST_F(NumbersWindow, NumbersTakeThirteenTypedCharactersNamesAnyNumber)
{
    for (int i = 0; i < EntryCount; ++i) {
        form.numberField(i)->clear();
        QTest::keyClicks(form.numberField(i), QStringLiteral("+420603123456789"));
        EXPECT_EQ(form.numberField(i)->text(), QStringLiteral("+420603123456"));
        form.nameField(i)->clear();
        QTest::keyClicks(form.nameField(i), QString(40, u'n'));
        EXPECT_EQ(form.nameField(i)->text().size(), 40);
    }
}

TEST_F(NumbersWindow, KontrolaReadsTheFields)
{
    EXPECT_TRUE(form.Kontrola());
    form.VrStrEdit7->setText(QStringLiteral(" "));
    EXPECT_FALSE(form.Kontrola());
    form.VrStrEdit7->setText(QStringLiteral("+42060312345a"));
    EXPECT_FALSE(form.Kontrola());
    form.VrStrEdit7->setText(QStringLiteral("+420603123450"));
    EXPECT_TRUE(form.Kontrola());
    form.VrStrEdit9->setText(QStringLiteral("420603123456+"));
    EXPECT_FALSE(form.Kontrola());
    EXPECT_EQ(form.VrStrEdit9->text(), QStringLiteral("420603123456+")); // the check changes nothing
}

TEST_F(NumbersWindow, ClearingEmptiesEveryFieldIncludingDefaultNames)
{
    form.BitBtn1->click();
    EXPECT_EQ(form.entries(), Entries{});
    EXPECT_TRUE(messages.empty());
}

TEST_F(NumbersWindow, SaveThenLoadRestoresAllTenFields)
{
    form.VrStrEdit4->setText(QStringLiteral("  dva  "));
    const Entries before = form.entries();
    chosen = dir.path("a"); // the default extension is added
    form.BitBtn3->click();
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("save")});
    EXPECT_EQ(dir.read("a.num"), QByteArray("+420603123456\r\nPriklad\r\n\r\n  dva  \r\n\r\n\r\n\r\n\r\n\r\nUdrzen\xED_kreditu\r\n"));
    form.BitBtn1->click();
    form.BitBtn2->click();
    EXPECT_EQ(form.entries(), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(NumbersWindow, OverwriteAsksAndNoLeavesTheFileAlone)
{
    dir.write("old.num", "keep me");
    chosen = dir.path("old.num");
    answer = false;
    form.BitBtn3->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, kva::MessageRecord::Question);
    EXPECT_EQ(messages[0].text, QStringLiteral("Soubor ") + dir.path("old.num") + QStringLiteral(" již existuje, chcete jej přepsat ?"));
    EXPECT_EQ(dir.read("old.num"), QByteArray("keep me"));
    answer = true;
    form.BitBtn3->click();
    EXPECT_TRUE(dir.read("old.num").startsWith("+420603123456\r\nPriklad\r\n"));
}

TEST_F(NumbersWindow, CancelledDialogsChangeNothing)
{
    chosen.clear();
    form.VrStrEdit3->setText(QStringLiteral("x"));
    form.BitBtn2->click();
    form.BitBtn3->click();
    EXPECT_EQ(dialogs, (QStringList{QStringLiteral("open"), QStringLiteral("save")}));
    EXPECT_EQ(form.VrStrEdit3->text(), QStringLiteral("x"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(NumbersWindow, LoadTakesLongNumbersWholeAndBlanksControlCharacters)
{
    dir.write("long.num", "+4206031234567890123\r\nA\x1b" "B\r\n+420777000111");
    chosen = dir.path("long.num");
    form.BitBtn2->click();
    EXPECT_EQ(form.VrStrEdit1->text(), QStringLiteral("+4206031234567890123"));
    EXPECT_EQ(form.VrStrEdit2->text(), QStringLiteral("A B"));
    EXPECT_EQ(form.VrStrEdit3->text(), QStringLiteral("+420777000111"));
    for (VrStrEdit* f : {form.VrStrEdit4, form.VrStrEdit5, form.VrStrEdit9, form.VrStrEdit10})
        EXPECT_TRUE(f->text().isEmpty());
    EXPECT_FALSE(form.Kontrola());
}

TEST_F(NumbersWindow, FileErrorsShowTheApplicationErrorBox)
{
    chosen = dir.path("missing.num");
    form.BitBtn2->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, kva::MessageRecord::Error);
    EXPECT_EQ(messages[0].title, QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento"));
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("I/O error"))) << messages[0].text.toStdString();
    EXPECT_EQ(form.entries(), initialEntries());

    chosen = dir.path("no/folder/x.num");
    form.BitBtn3->click();
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(NumbersWindow, ButtonsAreDisabledAndEnabledTogether)
{
    const QPushButton* buttons[] = {form.BitBtn1, form.BitBtn3, form.Button2, form.Button1, form.BitBtn2};
    form.Zakaz_tlacitka();
    for (const QPushButton* b : buttons)
        EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(form.VrStrEdit1->isEnabled());
    form.Povol_tlacitka();
    for (const QPushButton* b : buttons)
        EXPECT_TRUE(b->isEnabled());
}

TEST_F(NumbersWindow, GaugeClampsToItsRange)
{
    form.Gauge1->setValue(130);
    EXPECT_EQ(form.Gauge1->value(), 100);
    form.Gauge1->setValue(-5);
    EXPECT_EQ(form.Gauge1->value(), 0);
}

TEST_F(NumbersWindow, NamesWithUnusualCharactersAreMarkedAndReplacedOnRequest)
{
    // The start-up name of position 7 has an "í".
    EXPECT_TRUE(form.isNameMarked(4));
    EXPECT_EQ(form.VrStrEdit10->toolTip(), QStringLiteral("Názvy telefonních čísel zadávejte bez diakritiky, jinak nebudou "
                                                          "uložena !\nNevhodné znaky: í"));
    EXPECT_FALSE(form.isNameMarked(0));
    EXPECT_FALSE(form.ReplaceDiacritics->isHidden());
    EXPECT_EQ(form.ReplaceDiacritics->text(), QStringLiteral("Nahradit diakritiku"));

    form.VrStrEdit4->clear();
    typeText(form.VrStrEdit4, QStringLiteral("Šárka [Straße]"));
    form.VrStrEdit6->setText(QStringLiteral("Petr")); // plain: stays as it is
    form.VrStrEdit3->setText(QStringLiteral("+42060312345č")); // numbers are not examined
    EXPECT_TRUE(form.isNameMarked(1));
    EXPECT_FALSE(form.isNameMarked(2));

    form.ReplaceDiacritics->click();
    EXPECT_EQ(form.VrStrEdit10->text(), QStringLiteral("Udrzeni_kreditu"));
    EXPECT_EQ(form.VrStrEdit4->text(), QStringLiteral("Sarka [Strasse]"));
    EXPECT_EQ(form.VrStrEdit3->text(), QStringLiteral("+42060312345č"));
    EXPECT_FALSE(form.isNameMarked(4));
    EXPECT_TRUE(form.VrStrEdit10->toolTip().isEmpty());
    // The brackets have no plain form: the name stays marked, but the button, which could change
    // nothing more, goes; a quote or a letter with a diacritic brings it back.
    EXPECT_TRUE(form.isNameMarked(1));
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());
    form.VrStrEdit4->setText(QStringLiteral("Sarka [„Sari“]"));
    EXPECT_FALSE(form.ReplaceDiacritics->isHidden());
    form.ReplaceDiacritics->click();
    EXPECT_EQ(form.VrStrEdit4->text(), QStringLiteral("Sarka ['Sari']"));
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());
    form.VrStrEdit4->setText(QStringLiteral("Sarka"));
    EXPECT_FALSE(form.isNameMarked(1));
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());

    form.BitBtn1Click();
    for (int i = 0; i < EntryCount; ++i)
        EXPECT_FALSE(form.isNameMarked(i)) << i;
}
