// The "Konfigurace" page writes and reads SIM positions 5 and 6 through the main window's
// channel, against the simulated phone in process on a manual clock (the same over a
// pseudo-terminal: ConfigPtyTest.cpp).
#include "AfComPort.h"
#include "DialogueLog.h"
#include "FileDialogs.h"
#include "PageClockFixture.h"
#include "PhoneChannel.h"
#include "PhoneSim.h"
#include "QStringPrint.h"
#include "Unit5.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

namespace {

const QString Title = QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|");
const QByteArray SimPhoneBook = "AT+CPBS=\"SM\"\r";
const QString LostPhone =
    QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Write data error [requested: %1, free: 0] - AfComPort1 ");
const QByteArray Sim56 = PhoneSim::phoneBookLine(5, "+000000000011", "Setup") +
                         PhoneSim::phoneBookLine(6, "+000000092310", "Casy");

class ConfigTransfer : public PageOnClock {
protected:
    ~ConfigTransfer() override { kva::setFileDialogHook({}); }
    TForm1::Pages windows()
    {
        return TForm1::programPages([this](kva::SimLink& f) { return page = new TForm5(f); }, {}, {});
    }
    void openWindow(bool portOpen = true) { openForm(windows(), portOpen); }
    // Clicks "Načíst konfiguraci z telefonu" and waits for the read to end; its duration.
    qint64 read() { return clickAndWait(page->Button1, 4000); }
    void expectIdle(const QString& status = QString())
    {
        EXPECT_FALSE(form->channel().busy());
        EXPECT_EQ(page->VrLabel1->text(), status);
        EXPECT_TRUE(page->Gauge1->isHidden());
        for (QPushButton* b : {page->BitBtn1, page->BitBtn2, page->BitBtn3, page->BitBtn4, page->Button1})
            EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    }

    TForm5* page = nullptr;
};

} // namespace

TEST_F(ConfigTransfer, WriteSendsProbeThenBothShownNumbersOneAndAHalfSecondsApart)
{
    startPhone();
    openWindow();
    page->RadioButton1->setChecked(true); // "Autentizace zapnuta"
    page->ComboBox6->setCurrentIndex(9);
    page->ComboBox6Change();
    const QByteArray n5 = page->StaticText1->text().toLatin1();
    const QByteArray n6 = page->StaticText2->text().toLatin1();
    ASSERT_EQ(n5, "+000000000001");
    ASSERT_EQ(n6, "+000000090000");
    QList<int> gauge;
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged, [&](int v) { gauge << v; });
    bool workingShown = false;
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged, [&] {
        workingShown = workingShown || page->VrLabel1->text() == QStringLiteral("Moment prosím, pracuji");
    });

    page->BitBtn3->click();
    EXPECT_FALSE(page->BitBtn3->isEnabled()); // no second exchange meanwhile
    ASSERT_TRUE(waitIdle());

    EXPECT_EQ(phone.receivedCommands(),
              (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBW=5,\"" + n5 + "\",,\"Setup\"\r",
                                 "AT+CPBW=6,\"" + n6 + "\",,\"Casy\"\r"}));
    // The probe's answer is looked at after 500 ms, the SIM phone book chosen (on once its OK
    // is stored); the second write follows 1.5 s after the first.
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 500, 750, 2250}));
    EXPECT_EQ(clock.nowMs(), 2750); // the pause after the last command, then idle
    EXPECT_EQ(gauge, (QList<int>{25, 50, 75, 100}));
    EXPECT_TRUE(workingShown);
    expectIdle(QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(phone.state().contains("pb 6 145 +000000090000 Casy"));
    EXPECT_TRUE(phone.state().contains("pb 5 145 +000000000001 Setup"));
}

TEST_F(ConfigTransfer, ReadOfBothPositionsDecodesOptionsAndTimes)
{
    startPhone({}, Sim56);
    openWindow();
    QList<int> gauge;
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged, [&](int v) { gauge << v; });
    const qint64 took = read();
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBR=5\r", "AT+CPBR=6\r"}));
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 500, 750, 1250}));
    EXPECT_EQ(took, 1750);
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092310"));
    EXPECT_TRUE(page->RadioButton1->isChecked()); // position 13
    EXPECT_TRUE(page->RadioButton4->isChecked()); // position 12
    EXPECT_EQ(page->ComboBox6->currentText(), QStringLiteral("90"));
    EXPECT_EQ(page->ComboBox1->currentText(), QStringLiteral("2"));
    EXPECT_EQ(page->ComboBox2->currentText(), QStringLiteral("30"));
    EXPECT_EQ(page->ComboBox3->currentText(), QStringLiteral("1"));
    EXPECT_EQ(page->ComboBox4->currentText(), QStringLiteral("0"));
    EXPECT_EQ(gauge, QList<int>{100});
    expectIdle();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(ConfigTransfer, ReadOfPositionFiveOnlyResetsTheTimes)
{
    startPhone({}, PhoneSim::phoneBookLine(5, "+000000000011", "Setup"));
    openWindow();
    page->ComboBox6->setCurrentIndex(4);
    page->ComboBox6Change();
    ASSERT_EQ(page->StaticText2->text(), QStringLiteral("+000000040000"));
    read();
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000000000"));
    EXPECT_EQ(page->ComboBox6->currentText(), QStringLiteral("0"));
    expectIdle();
}

TEST_F(ConfigTransfer, ReadOfPositionSixOnlyLeavesTheOptions)
{
    startPhone({}, PhoneSim::phoneBookLine(6, "+000000092310", "Casy"));
    openWindow();
    page->RadioButton6->setChecked(true); // an option set by the user stays
    const QString options = page->StaticText1->text();
    ASSERT_NE(options, QStringLiteral("+000000000000"));
    read();
    EXPECT_EQ(page->StaticText1->text(), options);
    EXPECT_TRUE(page->RadioButton6->isChecked());
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092310"));
    EXPECT_EQ(page->ComboBox6->currentText(), QStringLiteral("90"));
    expectIdle();
}

TEST_F(ConfigTransfer, ReadOfAnEmptySimChangesNothing)
{
    startPhone();
    openWindow();
    page->RadioButton6->setChecked(true);
    page->ComboBox6->setCurrentIndex(2);
    page->ComboBox6Change();
    const QString options = page->StaticText1->text();
    const QString times = page->StaticText2->text();
    read();
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBR=5\r", "AT+CPBR=6\r"}));
    EXPECT_EQ(page->StaticText1->text(), options);
    EXPECT_EQ(page->StaticText2->text(), times);
    expectIdle();
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ConfigTransfer, SilentPhoneFailsTheProbeAPhoneWithEchoOffIsRead)
{
    startPhone({"--silent"}, Sim56);
    openWindow();
    page->BitBtn3->click();
    ASSERT_TRUE(waitIdle());
    read();
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", "AT\r"}));
    EXPECT_EQ(shown, QStringList(2, QStringLiteral("Warning|POZOR - telefon nekomunikuje !")));
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000000"));
    expectIdle();
    form.reset();

    shown.clear();
    startPhone({"--no-echo"}, Sim56);
    openWindow();
    read();
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092310"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    expectIdle();
}

TEST_F(ConfigTransfer, APhoneBookInThePhonesMemoryIsSwitchedToTheSimOrRefusedWithNothingWritten)
{
    // Set to its own memory, the phone is switched to the SIM first: the configuration lands
    // on the SIM.
    startPhone({"--phone-memory"});
    openWindow();
    page->BitBtn3->click();
    ASSERT_TRUE(waitIdle());
    expectIdle(QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(phone.state().contains("pb 5 145 +000000000000 Setup"));
    form.reset();

    // A phone that refuses the SIM phone book: a clear box, nothing written.
    startPhone({"--refuse-sim"});
    openWindow();
    page->BitBtn3->click();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook}));
    EXPECT_EQ(shown, QStringList{Title + "Telefon odmítl volbu telefonního seznamu SIM (AT+CPBS=\"SM\").\n"
                                         "Odpověď telefonu: +CME ERROR: 3 (operace není povolena)\n"
                                         "Na SIM nebylo nic zapsáno.\n"
                                         "Telefon do té doby nepotvrdil žádný zápis ani vymazání."});
    EXPECT_FALSE(phone.state().contains("pb 5"));
    expectIdle();
}

TEST_F(ConfigTransfer, ClosedPortIsRefusedAndNothingIsSent)
{
    startPhone({}, Sim56);
    openWindow(false);
    page->BitBtn3->click();
    page->Button1->click();
    clock.advance(600);
    EXPECT_EQ(shown, QStringList(2, QStringLiteral("Error|POZOR - sériový port není otevřen !")));
    EXPECT_EQ(phone.received(), QByteArray());
    expectIdle();
}

TEST_F(ConfigTransfer, FailedPortChoiceKeepsTheMarkOfTheLastGoodOne)
{
    spareDevice(1);
    qputenv("KVA271_COM2", dir.path("missing-tty").toLocal8Bit());
    openFormWithItsPort(windows());
    form->COM11->trigger();
    ASSERT_TRUE(form->COM11->isChecked());
    form->COM21->trigger();
    ASSERT_EQ(shown.size(), 1);
    const QStringList lines = shown[0].split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Chybné číslo portu (COM2)"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("COM2 odpovídá zařízení ") + dir.path("missing-tty")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("KVA271_COM2")));
    EXPECT_TRUE(form->COM11->isChecked());
    EXPECT_FALSE(form->COM21->isChecked());
    EXPECT_FALSE(form->AfComPort1->IsOpen());
    EXPECT_EQ(form->COM21->statusTip(), QStringLiteral("COM2 = ") + dir.path("missing-tty") + QStringLiteral(" (není připojeno)"));

    page->BitBtn3->click();
    EXPECT_EQ(shown.last(), QStringLiteral("Error|POZOR - sériový port není otevřen !"));
    form->close();
    EXPECT_EQ(dir.read("setting.ini"), QByteArray("COM1\r\n+420603052000\r\n"));

    // Choosing the checked item again reopens the same port; the mark stays.
    openFormWithItsPort(windows());
    ASSERT_TRUE(form->COM11->isChecked()); // from setting.ini
    form->COM11->trigger();
    EXPECT_TRUE(form->AfComPort1->IsOpen());
    EXPECT_TRUE(form->COM11->isChecked());
}

TEST_F(ConfigTransfer, StartupOpensOnlyAnExactPortName)
{
    spareDevice(3);
    for (const QByteArray& line1 : {QByteArray("com3"), QByteArray(" COM3"), QByteArray("COM7"), QByteArray("COM3")}) {
        SCOPED_TRACE(line1.toStdString());
        dir.write("setting.ini", line1 + "\r\n\r\n");
        openFormWithItsPort(windows());
        const bool expected = line1 == "COM3";
        EXPECT_EQ(form->AfComPort1->IsOpen(), expected);
        EXPECT_EQ(form->COM31->isChecked(), expected);
        for (QAction* item : {form->COM11, form->COM21, form->COM41, form->COM51, form->COM61})
            EXPECT_FALSE(item->isChecked());
        EXPECT_TRUE(shown.isEmpty());
        form.reset();
    }
}

TEST_F(ConfigTransfer, LateAnswerIsNotTakenForTheNextPosition)
{
    // The phone echoes "AT+CPBR=5" but answers it only after echoing "AT+CPBR=6".
    startPhone({"--reply", "AT+CPBR=5", "", "--reply", "AT+CPBR=6", "\\r\\n+CPBR: 5,\"+000000092310\",145,\"Setup\"\\r\\n\\r\\nOK\\r\\n"},
               Sim56);
    openWindow();
    read();
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBR=5\r", "AT+CPBR=6\r"}));
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000000"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000000000"));
    expectIdle();
    // Position 5's answer never came; position 6's is owed to position 5: neither is known.
    EXPECT_EQ(shown, QStringList{"Warning|Některé pozice se ze SIM nepodařilo načíst:\n"
                                 "Pozice 5: telefon neodpověděl, hodnota na stránce ponechána.\n"
                                 "Pozice 6: telefon neodpověděl, hodnota na stránce ponechána."});
}

TEST_F(ConfigTransfer, SlowPhonesAreReadInFull)
{
    startPhone({"--delay-ms", "150"}, Sim56);
    openWindow();
    read();
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092310"));
    EXPECT_TRUE(shown.isEmpty());
    form.reset();

    // Every answer 400 ms after its command: each wait that falls due while it is being
    // received waits for it.
    startPhone({"--delay-ms", "400"}, Sim56);
    openWindow();
    read();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092310"));
    expectIdle();
}

TEST_F(ConfigTransfer, ClosingTheWindowDuringAnExchangeStopsIt)
{
    startPhone({}, Sim56);
    openWindow();
    page->BitBtn3->click();
    ASSERT_TRUE(waitForReceived("\"Setup\"\r", 2000));
    // Not confirmed: the window stays and the write goes on.
    answerYes = false;
    EXPECT_FALSE(form->close());
    EXPECT_EQ(shown, QStringList{Title + "Přerušit probíhající výměnu?"});
    EXPECT_TRUE(form->channel().busy());
    answerYes = true;
    shown.clear();
    clock.advance(1000);
    form->close();
    EXPECT_FALSE(form->AfComPort1->IsOpen());
    clock.advance(1700);
    EXPECT_FALSE(phone.received().contains("Casy")); // the rest of the write is not sent
    EXPECT_FALSE(form->channel().busy());
    EXPECT_EQ(shown, (QStringList{Title + "Přerušit probíhající výměnu?",
                                  Title + "Výměna s telefonem byla přerušena.\n"
                                          "Telefon do té doby nepotvrdil žádný zápis ani vymazání."}));
    form.reset();

    shown.clear();
    openWindow();
    page->Button1->click();
    ASSERT_TRUE(waitForReceived("AT+CPBR=5\r", 2000));
    form->close();
    clock.advance(700);
    EXPECT_FALSE(phone.received().contains("AT+CPBR=6"));
    EXPECT_EQ(shown, (QStringList{Title + "Přerušit probíhající výměnu?", Title + "Výměna s telefonem byla přerušena."}));
}

TEST_F(ConfigTransfer, ChoosingAPortDuringAnExchangeStopsIt)
{
    // The rest of a write must not go to whatever port is chosen meanwhile.
    startPhone({}, Sim56);
    spareDevice(1);
    openWindow();
    page->BitBtn3->click();
    ASSERT_TRUE(waitForReceived("\"Setup\"\r", 2000));
    // Asked first; not confirmed, nothing changes.
    answerYes = false;
    form->COM11Click();
    EXPECT_TRUE(form->channel().busy());
    EXPECT_FALSE(form->comItems[0]->isChecked());
    answerYes = true;
    shown.clear();
    form->COM11Click();
    EXPECT_TRUE(form->AfComPort1->IsOpen());
    EXPECT_FALSE(form->channel().busy());
    clock.advance(1700);
    EXPECT_FALSE(phone.received().contains("Casy"));
    expectIdle();
    EXPECT_EQ(shown, (QStringList{Title + "Přerušit probíhající výměnu?",
                                  Title + "Výměna s telefonem byla přerušena.\n"
                                          "Telefon do té doby nepotvrdil žádný zápis ani vymazání."}));
}

TEST_F(ConfigTransfer, PhoneVanishingMidExchangeEndsItWithOneError)
{
    startPhone({}, Sim56);
    openWindow();
    page->Button1->click();
    ASSERT_TRUE(waitForReceived("AT+CPBR=5\r", 2000));
    phone.kill();
    ASSERT_TRUE(waitIdle(5000));
    clock.advance(700);
    expectIdle();
    // The next command cannot be written.
    EXPECT_EQ(shown, QStringList{LostPhone.arg(10)});
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBR=5\r"}));

    // The window is still usable: a new exchange fails with one box.
    shown.clear();
    page->BitBtn3->click();
    ASSERT_TRUE(waitIdle(3000));
    expectIdle();
    EXPECT_EQ(shown, QStringList{LostPhone.arg(3) + "\nTelefon do té doby nepotvrdil žádný zápis ani vymazání."});
}

TEST_F(ConfigTransfer, ErrorAndGarbageLeaveThePageAndSayWhichPositionsWereNotRead)
{
    startPhone({"--error", "AT+CPBR=5", "--reply", "AT+CPBR=6", QString(10000, u'\x7f')}, Sim56);
    openWindow();
    page->ComboBox6->setCurrentIndex(2);
    page->ComboBox6Change();
    const QString times = page->StaticText2->text();
    read();
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBR=5\r", "AT+CPBR=6\r"}));
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000000"));
    EXPECT_EQ(page->StaticText2->text(), times);
    expectIdle();
    EXPECT_EQ(shown, QStringList{"Warning|Některé pozice se ze SIM nepodařilo načíst:\n"
                                 "Pozice 5: telefon odmítl (ERROR), hodnota na stránce ponechána.\n"
                                 "Pozice 6: telefon neodpověděl, hodnota na stránce ponechána."});
}

TEST_F(ConfigTransfer, ATimesNumberWithANonDigitEndsTheReadWithOneError)
{
    startPhone({"--reply", "AT+CPBR=6", "\\r\\n+CPBR: 6,\"+000000092x10\",145,\"Casy\"\\r\\n\\r\\nOK\\r\\n"}, Sim56);
    openWindow();
    read();
    EXPECT_EQ(shown, QStringList{"Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|'x' is not a valid integer value"});
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011")); // position 5 was read
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092x10"));
    expectIdle();
    // The next exchange runs normally, and the phone's refusal of the "x" it writes is reported.
    shown.clear();
    page->BitBtn3->click();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(shown, QStringList{"Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Telefon odmítl zápis "
                                 "konfigurace na pozici 6 telefonního seznamu SIM.\nOdpověď telefonu: +CME ERROR: "
                                 "27 (neplatné znaky v čísle)\nTelefon do té doby potvrdil zápis pozic 5."});
    EXPECT_TRUE(phone.received().endsWith("\"Casy\"\r"));
    expectIdle();
}

TEST_F(ConfigTransfer, SavedDialogueAfterARead)
{
    startPhone({}, Sim56);
    openWindow();
    kva::phoneDialogue().clear();
    read();
    ASSERT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();

    kva::setFileDialogHook([&](bool save) { return save ? dir.path("zaznam") : QString(); });
    form->UlozitZaznam1->trigger();
    const QStringList lines = QString::fromUtf8(dir.read("zaznam.txt")).split(u'\n');
    const QRegularExpression time(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    QStringList dialogue;
    for (const QString& line : lines.mid(3))
        if (!line.isEmpty()) {
            EXPECT_TRUE(time.match(line).hasMatch()) << line.toStdString();
            dialogue << line.mid(24);
        }
    EXPECT_EQ(lines[0], QStringLiteral("Záznam komunikace s telefonem (kva271-config)"));
    EXPECT_EQ(dialogue, (QStringList{
                            "-> AT<CR>",
                            "<- AT<CR><CR><LF>OK<CR><LF>",
                            "-> AT+CPBS=\"SM\"<CR>",
                            "<- AT+CPBS=\"SM\"<CR><CR><LF>OK<CR><LF>",
                            "-> AT+CPBR=5<CR>",
                            "<- AT+CPBR=5<CR><CR><LF>+CPBR: 5,\"+000000000011\",145,\"Setup\"<CR><LF><CR><LF>OK<CR><LF>",
                            "-> AT+CPBR=6<CR>",
                            "<- AT+CPBR=6<CR><CR><LF>+CPBR: 6,\"+000000092310\",145,\"Casy\"<CR><LF><CR><LF>OK<CR><LF>",
                        }));
}
