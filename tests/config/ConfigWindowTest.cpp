#include "FileDialogs.h"
#include "KvaError.h"
#include "MessageBoxes.h"
#include "QStringPrint.h"
#include "TempDir.h"
#include "Unit5.h"
#include "alarm1.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using kva::Option;

namespace {

const char* const AppTitle = "Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento";

class ConfigWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            messages << m.title + u'|' + m.text;
            return answer;
        });
        kva::setFileDialogHook([this](bool save) {
            dialogs << (save ? QStringLiteral("save") : QStringLiteral("open"));
            return nextFile;
        });
        page.show();
    }
    void TearDown() override
    {
        kva::setMessageHook({});
        kva::setFileDialogHook({});
    }

    // A click on the indicator, where a user would click.
    void click(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }
    // Chooses an item with the keyboard, as a user would.
    void choose(QComboBox* list, const QString& item)
    {
        const int target = list->findText(item);
        ASSERT_GE(target, 0) << item.toStdString();
        while (list->currentIndex() < target)
            QTest::keyClick(list, Qt::Key_Down);
        while (list->currentIndex() > target)
            QTest::keyClick(list, Qt::Key_Up);
    }
    QString options() const { return page.StaticText1->text(); }
    QString times() const { return page.StaticText2->text(); }
    QStringList listTexts() const
    {
        return {page.ComboBox6->currentText(), page.ComboBox1->currentText(), page.ComboBox2->currentText(),
                page.ComboBox3->currentText(), page.ComboBox4->currentText()};
    }
    // Which of the 22 buttons are selected, as a string of 0/1 (button 1 first).
    QString selected() const
    {
        QString s;
        for (int n = 1; n <= 22; ++n)
            s += page.radioButton(n)->isChecked() ? u'1' : u'0';
        return s;
    }
    QString load(const QString& name, const QByteArray& bytes)
    {
        dir.write(name, bytes);
        nextFile = dir.path(name);
        page.BitBtn4->click();
        return nextFile;
    }

    TempDir dir;
    TForm1 form1{dir.path("setting.ini")};
    TForm5 page{form1.simLink()};
    QStringList messages;
    QStringList dialogs;
    bool answer = true;
    QString nextFile;
};

const QString Defaults = QStringLiteral("0110101010101010101010"); // every "0" choice (RadioButton2, 3, 5 …)

TEST_F(ConfigWindow, ShowsEveryControlWithItsCaptionAndDefaults)
{
    const char* captions[] = {"Autentizace zapnuta", "Autentizace vypnuta", "Zapnout / Vypnout", "Impuls", "Ne", "Ano", "Ne",
                              "Ano", "Ne", "Ano", "1   (ovládání z 1.čísla na SIM)", "2   (ovládání z 1. i 2. čísla )",
                              "Ne", "Ano", "Prozvonění", "SMS", "Nezasílat", "Zasílat", "Přivedením napětí",
                              "Odpojením napětí", "Autentizace vypnuta", "Autentizace zapnuta"};
    for (int n = 1; n <= 22; ++n)
        EXPECT_EQ(page.radioButton(n)->text(), QString::fromUtf8(captions[n - 1])) << n;
    const char* groups[] = {"Autentizace příchozího hovoru", "Funkce Relé 2", "Opakovat volání při poplachu ?",
                            "Odeslat SMS při poplachu ?", "Udržení kreditu", "Počet ovládacích čísel ze SIM",
                            "Testování optočlenů OK2 až OK4", "Potvrzení akce", "Kontrolní SMS jedenkrát měsíčně",
                            "Aktivační úroveň vstupu OK1", "Autentizace ovládacích SMS"};
    for (int i = 0; i < kva::OptionCount; ++i) {
        const auto o = static_cast<Option>(i);
        EXPECT_EQ(page.GroupBox[i]->title(), QString::fromUtf8(groups[i]));
        EXPECT_EQ(page.firstChoiceButton(o)->parentWidget(), page.GroupBox[i]);
        // the "0" choice is the upper one
        EXPECT_LT(page.firstChoiceButton(o)->y(), page.secondChoiceButton(o)->y()) << groups[i];
    }
    EXPECT_EQ(page.firstChoiceButton(Option::CallAuthentication), page.RadioButton2);
    EXPECT_EQ(selected(), Defaults);

    for (QComboBox* seconds : {page.ComboBox2, page.ComboBox4, page.ComboBox6})
        EXPECT_EQ(seconds->itemText(9), QStringLiteral("90"));
    for (QComboBox* minutes : {page.ComboBox1, page.ComboBox3})
        EXPECT_EQ(minutes->itemText(9), QStringLiteral("9"));
    EXPECT_EQ(page.ComboBox2->maxVisibleItems(), 12);
    EXPECT_EQ(listTexts(), (QStringList{"0", "0", "0", "0", "0"}));

    EXPECT_EQ(options(), QStringLiteral("+000000000000"));
    EXPECT_EQ(times(), QStringLiteral("+000000000000"));
    EXPECT_TRUE(page.VrLabel1->text().isEmpty());
    EXPECT_FALSE(page.Gauge1->isVisible());

    EXPECT_EQ(page.BitBtn1->text(), QStringLiteral("Parametry v aplikaci vymazat"));
    EXPECT_EQ(page.BitBtn1->toolTip(), QStringLiteral("Maže parametry pouze v programu, ne v telefonu"));
    EXPECT_EQ(page.Button1->text(), QStringLiteral("Načíst konfiguraci z telefonu"));
    EXPECT_EQ(page.BitBtn3->text(), QStringLiteral("Uložit konfiguraci do telefonu"));
    EXPECT_EQ(page.BitBtn4->text(), QStringLiteral("Načíst konfiguraci ze souboru"));
    EXPECT_EQ(page.BitBtn2->text(), QStringLiteral("Uložit konfiguraci do souboru"));

    page.Zakaz_tlacitka();
    for (QPushButton* b : {page.BitBtn1, page.Button1, page.BitBtn3, page.BitBtn4, page.BitBtn2})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(page.RadioButton1->isEnabled()); // options and lists stay usable
    EXPECT_TRUE(page.ComboBox1->isEnabled());
    page.Povol_tlacitka();
    for (QPushButton* b : {page.BitBtn1, page.Button1, page.BitBtn3, page.BitBtn4, page.BitBtn2})
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
}

TEST(ConfigPage, FitsItsTabPage)
{
    TempDir dir;
    TForm1 form1(dir.path("setting.ini"));
    TForm5* page = nullptr;
    form1.FormCreate(TForm1::programPages([&](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}));
    form1.show();
    ASSERT_NE(page, nullptr);
    const QSize available = form1.tab(0)->size();
    const QSize needed = page->minimumSizeHint();
    EXPECT_LE(needed.width(), available.width());
    EXPECT_LE(needed.height(), available.height());
    EXPECT_EQ(page->size(), available);
    // every control lies inside the page
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->isVisibleTo(page)) {
            EXPECT_TRUE(page->rect().contains(QRect(w->mapTo(page, QPoint()), w->size()))) << w->metaObject()->className();
        }
    }
}

TEST_F(ConfigWindow, TabGoesDownEachColumnInTurn)
{
    QList<QWidget*> expected;
    for (int i = 0; i < kva::OptionCount; ++i)
        expected << page.firstChoiceButton(Option(i)) << page.secondChoiceButton(Option(i));
    expected << page.ComboBox1 << page.ComboBox2 << page.ComboBox3 << page.ComboBox4 << page.ComboBox6 << page.BitBtn1
             << page.Button1 << page.BitBtn3 << page.BitBtn4 << page.BitBtn2;
    QList<QWidget*> chain;
    for (QWidget* w = page.nextInFocusChain(); w != &page; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w;
    EXPECT_EQ(chain, expected);
}

TEST_F(ConfigWindow, ClickingOptionsAndChoosingTimesShowsTheNumbers)
{
    click(page.RadioButton1);
    EXPECT_EQ(options(), QStringLiteral("+000000000001"));
    click(page.RadioButton4);
    EXPECT_EQ(options(), QStringLiteral("+000000000011"));
    click(page.RadioButton2);
    EXPECT_TRUE(page.RadioButton2->isChecked());
    EXPECT_FALSE(page.RadioButton1->isChecked());
    EXPECT_EQ(options(), QStringLiteral("+000000000010")); // "Impuls" alone
    click(page.RadioButton3);
    click(page.RadioButton20);
    EXPECT_EQ(options(), QStringLiteral("+010000000000")); // "Odpojením napětí" alone
    for (int n = 1; n <= 22; ++n)
        if (page.isSecondChoice(n))
            click(page.radioButton(n));
    EXPECT_EQ(options(), QStringLiteral("+110111111111"));
    EXPECT_EQ(times(), QStringLiteral("+000000000000"));

    choose(page.ComboBox6, QStringLiteral("90"));
    EXPECT_EQ(times(), QStringLiteral("+000000090000"));
    choose(page.ComboBox1, QStringLiteral("2"));
    choose(page.ComboBox2, QStringLiteral("30"));
    choose(page.ComboBox3, QStringLiteral("1"));
    choose(page.ComboBox4, QStringLiteral("0"));
    EXPECT_EQ(times(), QStringLiteral("+000000092310"));
    choose(page.ComboBox4, QStringLiteral("50"));
    EXPECT_EQ(times(), QStringLiteral("+000000092315"));
    EXPECT_EQ(options(), QStringLiteral("+110111111111"));

    // the program setting a list runs no handler
    page.ComboBox1->setCurrentIndex(7);
    EXPECT_EQ(times(), QStringLiteral("+000000092315"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(ConfigWindow, DecodingSelectsOptionsAndListsFromTheGivenNumber)
{
    click(page.RadioButton4);
    page.Smaz_nastaveni();
    page.StaticText1->setText(QStringLiteral("+000000000001"));
    page.Nastaveni_checku(page.StaticText1->text());
    EXPECT_TRUE(page.RadioButton1->isChecked());
    EXPECT_TRUE(page.RadioButton3->isChecked());
    EXPECT_EQ(options(), QStringLiteral("+000000000001"));

    // position 4 is rebuilt as "0" once an option changes
    page.Smaz_nastaveni();
    page.StaticText1->setText(QStringLiteral("+001000000001"));
    page.Nastaveni_checku(QStringLiteral("+001000000001"));
    EXPECT_EQ(options(), QStringLiteral("+000000000001"));

    // no option changes: the caller's text stays as it is
    page.Smaz_nastaveni();
    page.StaticText1->setText(QStringLiteral("+0x0900000000"));
    page.Nastaveni_checku(QStringLiteral("+0x0900000000"));
    EXPECT_EQ(options(), QStringLiteral("+0x0900000000"));
    EXPECT_EQ(selected(), Defaults);
    // selecting an already selected button runs nothing
    page.RadioButton2->setChecked(true);
    EXPECT_EQ(options(), QStringLiteral("+0x0900000000"));

    page.StaticText2->setText(QStringLiteral("+000000092310"));
    page.Nastaveni_casu(page.StaticText2->text());
    EXPECT_EQ(listTexts(), (QStringList{"90", "2", "30", "1", "0"}));
    EXPECT_EQ(times(), QStringLiteral("+000000092310"));
    // the decoded digits are in the model: a user change rebuilds from them
    choose(page.ComboBox4, QStringLiteral("10"));
    EXPECT_EQ(times(), QStringLiteral("+000000092311"));

    // a non-digit stops the decoding; positions 13 and 12 already took their values
    EXPECT_THROW(page.Nastaveni_casu(QStringLiteral("+0000000555x3")), kva::ConversionError);
    EXPECT_EQ(listTexts(), (QStringList{"90", "2", "30", "1", "30"}));

    page.BitBtn1->click();
    EXPECT_EQ(selected(), Defaults);
    EXPECT_EQ(listTexts(), (QStringList{"0", "0", "0", "0", "0"}));
    EXPECT_EQ(options(), QStringLiteral("+000000000000"));
    EXPECT_EQ(times(), QStringLiteral("+000000000000"));
}

TEST_F(ConfigWindow, SaveAsksBeforeOverwritingAndLoadRestores)
{
    click(page.RadioButton1);
    click(page.RadioButton14);
    choose(page.ComboBox6, QStringLiteral("90"));
    choose(page.ComboBox1, QStringLiteral("2"));
    nextFile = dir.path("konfigurace"); // typed without an extension
    page.BitBtn2->click();
    const QString saved = dir.path("konfigurace.par");
    EXPECT_EQ(dir.read("konfigurace.par"), QByteArray("+000001000001\r\n+000000092000\r\n"));
    EXPECT_TRUE(messages.isEmpty()); // a new file: no question

    click(page.RadioButton4);
    answer = false;
    page.BitBtn2->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Warning|Soubor ") + QDir::toNativeSeparators(saved) +
                               QStringLiteral(" již existuje, chcete jej přepsat ?"));
    EXPECT_EQ(dir.read("konfigurace.par"), QByteArray("+000001000001\r\n+000000092000\r\n"));

    nextFile.clear(); // a cancelled dialog does nothing
    page.BitBtn2->click();
    EXPECT_EQ(messages.size(), 1);

    // change more, then load: everything returns to the saved state
    click(page.RadioButton22);
    choose(page.ComboBox3, QStringLiteral("5"));
    nextFile = saved;
    page.BitBtn4->click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("open"));
    EXPECT_TRUE(page.RadioButton1->isChecked());
    EXPECT_TRUE(page.RadioButton14->isChecked());
    EXPECT_TRUE(page.RadioButton3->isChecked());
    EXPECT_TRUE(page.RadioButton21->isChecked());
    EXPECT_EQ(listTexts(), (QStringList{"90", "2", "0", "0", "0"}));
    EXPECT_EQ(options(), QStringLiteral("+000001000001"));
    EXPECT_EQ(times(), QStringLiteral("+000000092000"));

    click(page.RadioButton16);
    answer = true;
    page.BitBtn2->click();
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(dir.read("konfigurace.par"), QByteArray("+000011000001\r\n+000000092000\r\n"));

    // a failed save is reported and changes nothing
    nextFile = dir.path("no/such/folder/x.par");
    page.BitBtn2->click();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[2].startsWith(QString::fromUtf8(AppTitle) + QStringLiteral("|I/O error"))) << messages[2].toStdString();
    EXPECT_EQ(options(), QStringLiteral("+000011000001"));
}

TEST_F(ConfigWindow, LoadingResetsFirstAndKeepsTheLinesAsRead)
{
    click(page.RadioButton4); // "Impuls"
    load("a.par", "+000000000001\r\n+000000092310\r\n");
    EXPECT_TRUE(page.RadioButton3->isChecked()); // "Zapnout / Vypnout"
    EXPECT_TRUE(page.RadioButton1->isChecked());
    EXPECT_EQ(options(), QStringLiteral("+000000000001"));
    EXPECT_EQ(listTexts(), (QStringList{"90", "2", "30", "1", "0"}));

    // one short line: options decoded as far as it goes, times left at their defaults
    load("short.par", "+1");
    EXPECT_EQ(selected(), QStringLiteral("0110101010101010101001"));
    EXPECT_EQ(options(), QStringLiteral("+100000000000"));
    EXPECT_EQ(times(), QString());
    EXPECT_EQ(listTexts(), (QStringList{"0", "0", "0", "0", "0"}));

    load("empty.par", "");
    EXPECT_EQ(selected(), Defaults);
    EXPECT_EQ(options(), QString());

    // "<b>" must not turn into markup, a 10 000-character line is kept whole
    load("long.par", "<b>" + QByteArray(10000, '1') + "\r\n" + QByteArray(10000, '5'));
    EXPECT_EQ(options(), QStringLiteral("+000111111111")); // "<b>" fills positions 1 to 3
    EXPECT_EQ(times().size(), 10000);
    EXPECT_EQ(listTexts(), (QStringList{"50", "5", "50", "5", "50"}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(ConfigWindow, BadFilesShowAnErrorAndTheWindowStaysUsable)
{
    load("bad.par", "+000000000011\r\n+0000000923x0\r\n");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString::fromUtf8(AppTitle) + QStringLiteral("|'x' is not a valid integer value"));
    EXPECT_TRUE(page.RadioButton1->isChecked()); // options were decoded before the error
    EXPECT_TRUE(page.RadioButton4->isChecked());
    EXPECT_EQ(page.ComboBox4->currentText(), QStringLiteral("0")); // position 13 was handled
    EXPECT_EQ(page.ComboBox2->currentText(), QStringLiteral("0")); // position 11 was not
    EXPECT_EQ(times(), QStringLiteral("+0000000923x0"));
    click(page.RadioButton2); // still usable
    EXPECT_EQ(options(), QStringLiteral("+000000000010"));

    const QString before = selected();
    nextFile = dir.path("missing.par");
    page.BitBtn4->click();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith(QString::fromUtf8(AppTitle) + QStringLiteral("|I/O error 2\n"))) << messages[1].toStdString();
    EXPECT_EQ(selected(), before); // nothing was reset

    ASSERT_TRUE(QDir(dir.root()).mkdir(QStringLiteral("folder.par")));
    nextFile = dir.path("folder.par");
    page.BitBtn4->click();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[2].startsWith(QString::fromUtf8(AppTitle) + QStringLiteral("|I/O error"))) << messages[2].toStdString();

    load("binary.par", QByteArray("\x00\x01\xfe\xff\x1b\r\n\x80\x00\x9a\x01\x02\x03\x04\x05\x06\x07", 17));
    ASSERT_EQ(messages.size(), 4);
    EXPECT_EQ(messages[3], QString::fromUtf8(AppTitle) + QStringLiteral("|'\x07' is not a valid integer value"));
    EXPECT_EQ(selected(), Defaults);
    EXPECT_EQ(options().size(), 5);

    page.BitBtn1->click();
    EXPECT_EQ(options(), QStringLiteral("+000000000000"));
    EXPECT_EQ(times(), QStringLiteral("+000000000000"));
}

// A screen reader names each generated number by its caption (its label) and reads the number.
TEST_F(ConfigWindow, GeneratedNumbersAreNamedByTheirCaptions)
{
    const std::pair<QLabel*, QString> numbers[] = {
        {page.StaticText1, QStringLiteral("Číslo které uložíte na 5. pozici SIM")},
        {page.StaticText2, QStringLiteral("Číslo které uložíte na 6. pozici SIM")},
    };
    for (const auto& [number, caption] : numbers) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(number);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(QAccessible::Name), caption);
        EXPECT_EQ(a->text(QAccessible::Description), number->text()) << "the number itself is read too";
        EXPECT_EQ(a->role(), QAccessible::StaticText);
        const auto labels = a->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), caption);
    }
}

} // namespace
