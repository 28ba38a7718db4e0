#include "MessageBoxes.h"
#include "PageControls.h"
#include "PairPrint.h"
#include "RecordedDialogs.h"
#include "TempDir.h"
#include "TypeText.h"
#include "Unit4.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kva::sms;

namespace {

class SmsWindow : public RecordedDialogs {
protected:
    void SetUp() override
    {
        form1.SmsCentreNumber = QStringLiteral("+420603052000");
        RecordedDialogs::SetUp();
    }

    TempDir dir;
    TForm1 form1{dir.path("setting.ini")};
    TForm4 form{form1.simLink(), form1.SmsCentreNumber};
};

} // namespace

TEST_F(SmsWindow, StartsWithTheDocumentedControls)
{
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Telefonní číslo"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Text SMS"));
    EXPECT_EQ(form.rowLabels[0]->text(), QStringLiteral("Vstup OK2"));
    EXPECT_EQ(form.rowLabels[4]->text(), QStringLiteral("Měsiční SMS"));
    EXPECT_EQ(form.smsSet(), initialSet());
    EXPECT_EQ(form.VrStrEdit7->text(), QStringLiteral("+420603123456"));
    EXPECT_EQ(form.VrStrEdit8->text(), QStringLiteral("Poplach"));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("Číslo Vašeho SMS centra"));
    EXPECT_EQ(form.VrStrEdit19->text(), QStringLiteral("+420603052000"));
    EXPECT_EQ(form.VrStrEdit19->toolTip(),
              QStringLiteral("Zadejte číslo SMS centra Vašeho operátora tak, jak máte nastaveno v telefonu. Pro ČR pro T-Mobile "
                             "platí implicitně nastavené číslo"));
    EXPECT_EQ(form.Button1->text(), QStringLiteral("Načti SMS z telefonu"));
    EXPECT_EQ(form.Button3->text(), QStringLiteral("Ulož SMS do telefonu"));
    EXPECT_EQ(form.Button4->text(), QStringLiteral("Vymazat všechny SMS v telefonu"));
    EXPECT_EQ(form.Button2->text(), QStringLiteral("Uložit SMS do souboru"));
    EXPECT_EQ(form.Button5->text(), QStringLiteral("Načíst SMS ze souboru"));
    EXPECT_EQ(form.notes[0]->text(), QStringLiteral("POZOR - telefonní číslo musí být v mezinárodním formátu."));
    EXPECT_EQ(form.notes[1]->text(), QStringLiteral("Telefonní číslo změňte na skutečné telefonní číslo na které má SMS odejít."));
    EXPECT_EQ(form.notes[2]->text(),
              QStringLiteral("I pokud nevyužijete vstupy OK2 až OK4 (pouze OK1), musí být SMS pro tyto vstupy stejně uloženy !!"));
    EXPECT_EQ(form.notes[3]->text(), QStringLiteral("Jestliže necháte některou pozici volnou, SMS nebudou uloženy  v pořadí, "
                                                    "odpovídajícím  popsaným vstupům !!"));
    EXPECT_TRUE(form.VrLabel1->text().isEmpty());
    EXPECT_TRUE(form.Gauge1->isHidden());
}

TEST_F(SmsWindow, TypingLimitsAreThirteenAndFifty)
{
    for (int i = 0; i < PairCount; ++i) {
        form.numberField(i)->clear();
        form.textField(i)->clear();
        QTest::keyClicks(form.numberField(i), QString(20, u'1'));
        QTest::keyClicks(form.textField(i), QString(60, u'['));
        EXPECT_EQ(form.numberField(i)->text().size(), 13);
        EXPECT_EQ(form.textField(i)->text().size(), 50);
    }
    form.VrStrEdit19->clear();
    QTest::keyClicks(form.VrStrEdit19, QString(20, u'2'));
    EXPECT_EQ(form.VrStrEdit19->text().size(), 13);
}

TEST_F(SmsWindow, CentreFieldMirrorsTheSharedNumber)
{
    form1.SmsCentreNumber = QStringLiteral("+420777000111");
    TForm4 fresh(form1.simLink(), form1.SmsCentreNumber);
    EXPECT_EQ(form1.SmsCentreNumber, QStringLiteral("+420777000111")); // building the window leaves it alone
    fresh.FormShow();
    EXPECT_EQ(fresh.VrStrEdit19->text(), QStringLiteral("+420777000111"));
    QTest::keyClick(fresh.VrStrEdit19, Qt::Key_Backspace);
    EXPECT_EQ(form1.SmsCentreNumber, QStringLiteral("+42077700011"));
    fresh.VrStrEdit19->clear();
    EXPECT_EQ(form1.SmsCentreNumber, QString());
}

TEST_F(SmsWindow, CentreNumberTravelsThroughSettingIni)
{
    dir.write("setting.ini", "COM3\r\n+420777000111\r\n");
    {
        TForm1 main(dir.path("setting.ini"));
        TForm4* sms = nullptr;
        // As the program starts: the SMS window is built only when its tab is chosen first.
        main.FormCreate(TForm1::programPages({}, {}, [&](kva::SimLink& f) { return sms = new TForm4(f, main.SmsCentreNumber); }),
                        TForm1::HiddenPages::AfterFirstFrame);
        EXPECT_EQ(sms, nullptr);
        main.PageControl1->setCurrentIndex(2);
        ASSERT_NE(sms, nullptr);
        main.show();
        EXPECT_EQ(sms->VrStrEdit19->text(), QStringLiteral("+420777000111"));
        sms->VrStrEdit19->selectAll();
        QTest::keyClick(sms->VrStrEdit19, Qt::Key_Delete);
        main.close();
    }
    EXPECT_EQ(dir.read("setting.ini"), QByteArray(" \r\n\r\n"));
    TForm1 again(dir.path("setting.ini"));
    TForm4* sms = nullptr;
    again.FormCreate(TForm1::programPages({}, {}, [&](kva::SimLink& f) { return sms = new TForm4(f, again.SmsCentreNumber); }));
    again.show();
    again.PageControl1->setCurrentIndex(2);
    EXPECT_EQ(sms->VrStrEdit19->text(), QStringLiteral("+420603052000"));
    again.close();
}

TEST_F(SmsWindow, KontrolaIncludesTheCentreField)
{
    EXPECT_TRUE(form.Kontrola());
    form.VrStrEdit19->setText(QString());
    EXPECT_FALSE(form.Kontrola());
    form.VrStrEdit19->setText(QStringLiteral("+420603052000"));
    form.VrStrEdit17->setText(QStringLiteral("+42060312345"));
    EXPECT_FALSE(form.Kontrola());
    form.VrStrEdit17->setText(QString());
    EXPECT_TRUE(form.Kontrola());
}

TEST_F(SmsWindow, SaveThenLoadRestoresTheEighteenFields)
{
    form.VrStrEdit4->setText(QString());
    form.VrStrEdit6->setText(QStringLiteral("Poplach Ω čidlo"));
    chosen = dir.path("set"); // the default extension is added
    form.Button2->click();
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("save")});
    const QByteArray saved = dir.read("set.sms");
    EXPECT_TRUE(saved.startsWith("+420603123456\r\nOK2\r\n+420603123456\r\n\r\n+420603123456\r\nPoplach ? \xe8idlo\r\n"));
    EXPECT_EQ(saved.count("\r\n"), 18);

    const SmsSet before = form.smsSet();
    for (int i = 0; i < PairCount; ++i) {
        form.numberField(i)->clear();
        form.textField(i)->clear();
    }
    form1.SmsCentreNumber = QStringLiteral("+420999999999");
    form.Button5->click();
    SmsSet expected = before;
    expected[2].text = QStringLiteral("Poplach ? čidlo");
    EXPECT_EQ(form.smsSet(), expected);
    EXPECT_EQ(form1.SmsCentreNumber, QStringLiteral("+420999999999")); // not part of the file
    EXPECT_TRUE(messages.empty());
}

TEST_F(SmsWindow, OverwriteQuestionAndCancelledDialogs)
{
    dir.write("old.sms", "keep");
    chosen = dir.path("old.sms");
    answer = false;
    form.Button2->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, kva::MessageRecord::Question);
    EXPECT_EQ(messages[0].text, QStringLiteral("Soubor ") + dir.path("old.sms") + QStringLiteral(" již existuje, chcete jej přepsat ?"));
    EXPECT_EQ(dir.read("old.sms"), QByteArray("keep"));

    chosen.clear();
    form.Button2->click();
    form.Button5->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(form.smsSet(), initialSet());
}

TEST_F(SmsWindow, LoadTakesLongLinesWholeAndEmptiesWhatTheFileLacks)
{
    const QByteArray longText(70, 'T');
    dir.write("short.sms", "+4206031234567890123\r\n" + longText + "\r\n+420777000111\r\n");
    chosen = dir.path("short.sms");
    form.Button5->click();
    EXPECT_EQ(form.VrStrEdit1->text(), QStringLiteral("+4206031234567890123"));
    EXPECT_EQ(form.VrStrEdit2->text(), QString::fromLatin1(longText));
    EXPECT_EQ(form.VrStrEdit3->text(), QStringLiteral("+420777000111"));
    for (int i = 3; i < 18; ++i)
        EXPECT_TRUE((i % 2 ? form.textField(i / 2) : form.numberField(i / 2))->text().isEmpty()) << i;
    EXPECT_FALSE(form.Kontrola());
}

TEST_F(SmsWindow, MissingFileShowsTheErrorBoxAndKeepsTheFields)
{
    chosen = dir.path("missing.sms");
    form.Button5->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, kva::MessageRecord::Error);
    EXPECT_EQ(messages[0].title, QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento"));
    EXPECT_EQ(form.smsSet(), initialSet());
}

TEST_F(SmsWindow, ActionButtonsToggleTogether)
{
    const QPushButton* buttons[] = {form.Button1, form.Button3, form.Button4, form.Button2, form.Button5};
    form.setActionButtonsEnabled(false);
    for (const QPushButton* b : buttons)
        EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(form.VrStrEdit2->isEnabled());
    form.setActionButtonsEnabled(true);
    for (const QPushButton* b : buttons)
        EXPECT_TRUE(b->isEnabled());
}

TEST_F(SmsWindow, KodujEncodesTheCurrentPairWithTheCentreField)
{
    form.CurrentNumber = form.VrStrEdit7->text();
    form.CurrentText = form.VrStrEdit8->text();
    form.Koduj();
    EXPECT_EQ(form.TpduLength, 21);
    EXPECT_EQ(form.OutgoingMessage.PduText, QByteArray("079124603050020011000c91246030214365000004" "07d0379c1d1ea301"));

    form.VrStrEdit19->setText(QStringLiteral("+420777000111"));
    form.CurrentNumber.clear();
    form.CurrentText = QStringLiteral("OK2");
    form.Koduj();
    EXPECT_EQ(form.TpduLength, 8 + 3);
    EXPECT_TRUE(form.OutgoingMessage.PduText.startsWith("0791247077001011"));
    EXPECT_TRUE(form.OutgoingMessage.UserDataHeader.isEmpty());
}

TEST_F(SmsWindow, TextsThePhoneShowsOtherwiseAreMarkedAndReplacedOnRequest)
{
    for (int i = 0; i < PairCount; ++i) {
        EXPECT_FALSE(form.isTextMarked(i));
        EXPECT_TRUE(form.previewLine(i)->isHidden());
        EXPECT_TRUE(form.textField(i)->actions().isEmpty());
    }
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());

    form.VrStrEdit10->clear();
    typeText(form.VrStrEdit10, QStringLiteral("Měsíč"));
    form.VrStrEdit2->clear();
    typeText(form.VrStrEdit2, QString(55, u'ř')); // 50 kept
    form.VrStrEdit4->setText(QStringLiteral("Café [Ä]")); // arrives as typed
    form.VrStrEdit6->setText(QStringLiteral("Zpr\u007Fva"));  // as read back: code 127 for "á"

    EXPECT_EQ(form.VrStrEdit2->text(), QString(50, u'ř'));
    for (int i : {0, 2, 4})
        EXPECT_TRUE(form.isTextMarked(i)) << i;
    for (int i : {1, 3, 5, 6, 7, 8})
        EXPECT_FALSE(form.isTextMarked(i)) << i;
    EXPECT_FALSE(form.previewLine(4)->isHidden());
    EXPECT_EQ(form.previewLine(4)->text(), QStringLiteral("Příjemce uvidí: Mìsàè"));
    EXPECT_EQ(form.VrStrEdit10->toolTip(),
              QStringLiteral("Telefon příjemce nezobrazí text tak, jak je napsán.\nMění se: ě → ì, í → à, č → è"));
    ASSERT_EQ(form.VrStrEdit10->actions().size(), 1);
    EXPECT_EQ(form.VrStrEdit10->actions()[0]->toolTip(), form.VrStrEdit10->toolTip());
    EXPECT_EQ(form.previewLine(2)->text(), QStringLiteral("Příjemce uvidí: Zpràva"));
    EXPECT_TRUE(form.previewLine(1)->isHidden());
    EXPECT_FALSE(form.ReplaceDiacritics->isHidden());
    EXPECT_EQ(form.ReplaceDiacritics->text(), QStringLiteral("Nahradit diakritiku"));

    // Only the marked fields change; the code 127 is no letter and stays.
    form.ReplaceDiacritics->click();
    EXPECT_EQ(form.VrStrEdit10->text(), QStringLiteral("Mesic"));
    EXPECT_EQ(form.VrStrEdit2->text(), QString(50, u'r'));
    EXPECT_EQ(form.VrStrEdit4->text(), QStringLiteral("Café [Ä]"));
    EXPECT_EQ(form.VrStrEdit6->text(), QStringLiteral("Zpr\u007Fva"));
    EXPECT_FALSE(form.isTextMarked(4));
    EXPECT_TRUE(form.previewLine(4)->isHidden());
    EXPECT_TRUE(form.VrStrEdit10->toolTip().isEmpty());
    EXPECT_TRUE(form.VrStrEdit10->actions().isEmpty());
    // Code 127 has no plain form: the text stays marked, the button goes.
    EXPECT_TRUE(form.isTextMarked(2));
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());

    typeText(form.VrStrEdit2, QStringLiteral("xy"));
    EXPECT_EQ(form.VrStrEdit2->text(), QString(50, u'r')); // still fifty
    form.VrStrEdit6->setText(QStringLiteral("Zprava"));
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());
}

TEST_F(SmsWindow, TypographicPunctuationIsReplacedAsThePreviewShowsIt)
{
    form.VrStrEdit2->setText(QStringLiteral("„Sklep“ – 5 °C…"));
    ASSERT_TRUE(form.isTextMarked(0));
    EXPECT_FALSE(form.ReplaceDiacritics->isHidden());
    form.ReplaceDiacritics->click();
    EXPECT_EQ(form.VrStrEdit2->text(), QStringLiteral("\"Sklep\" - 5 st.C..."));
    // The plain text arrives as typed: no mark, no preview, no button.
    EXPECT_FALSE(form.isTextMarked(0));
    EXPECT_TRUE(form.previewLine(0)->isHidden());
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden());

    // At the typing limit the ellipsis has no room for three dots and stays; the dash is replaced.
    form.VrStrEdit2->setText(QString(48, u'a') + QStringLiteral("–…"));
    form.ReplaceDiacritics->click();
    EXPECT_EQ(form.VrStrEdit2->text(), QString(48, u'a') + QStringLiteral("-…"));
    EXPECT_TRUE(form.ReplaceDiacritics->isHidden()); // nothing more to change
}

TEST_F(SmsWindow, LoadedTextsAreMarkedAndStoredAsTypedUnlessReplaced)
{
    dir.write("cz.sms", "+420603123456\r\nPoplach v \xe8" "ase \x9a" "est\r\n");
    chosen = dir.path("cz.sms");
    form.Button5->click();
    EXPECT_TRUE(form.isTextMarked(0));
    EXPECT_EQ(form.previewLine(0)->text(), QStringLiteral("Příjemce uvidí: Poplach v èase àest"));
    form.CurrentNumber = form.VrStrEdit1->text();
    form.CurrentText = form.VrStrEdit2->text();
    form.Koduj(); // what the store sends: the text as typed
    EXPECT_TRUE(form.OutgoingMessage.PduText.endsWith("0413d0379c1d1ea3417610213c2f83fee5391d"));

    form.ReplaceDiacritics->click();
    EXPECT_EQ(form.VrStrEdit2->text(), QStringLiteral("Poplach v case sest"));
    chosen = dir.path("plain.sms");
    form.Button2->click();
    EXPECT_TRUE(dir.read("plain.sms").startsWith("+420603123456\r\nPoplach v case sest\r\n"));
}
