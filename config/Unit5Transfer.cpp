// The "Konfigurace" page's transfer of its two numbers to and from the phone.
#include "Unit5.h"

#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneReply.h"
#include "alarm1.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

// AT+CPBW=<position>,"<number>",,"<name>" CR: the number type is left empty for the phone.
QString phoneBookWrite(int position, const QString& number, const QString& name)
{
    return QStringLiteral("AT+CPBW=%1,\"%2\",,\"%3\"\r").arg(position).arg(number, name);
}

} // namespace

void TForm5::connectTransfer()
{
    kva::PhoneChannel& ch = form1_.channel();
    connect(BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    // Ticks go through the channel: a tick due while an answer is being received waits for it.
    ch.routeTimer(Timer1, [this] { Timer1Timer(); });
    ch.routeTimer(Timer2, [this] { Timer2Timer(); });
    ch.guardButtons({BitBtn3, Button1});
}

void TForm5::backToIdle()
{
    Timer1->stop();
    Timer2->stop();
    VrLabel1->clear();
    Gauge1->hide();
    Povol_tlacitka();
}

void TForm5::BitBtn3Click()
{
    form1_.channel().beginWithProbe(this, [this] { backToIdle(); }, [this] {
        Timer1->start();
        form1_.ExchangePhase = QStringLiteral("test_komunikace");
    });
}

void TForm5::Timer1Timer()
{
    Timer1->stop();
    if (form1_.ExchangePhase != QStringLiteral("test_komunikace"))
        return;
    kva::PhoneChannel& ch = form1_.channel();
    ch.step([&] {
        if (ch.endIfSilent(this, [this] { Povol_tlacitka(); }))
            return;
        Zakaz_tlacitka();
        form1_.ExchangePhase = QStringLiteral("prvni_konfigurak");
        Gauge1->setValue(0);
        Gauge1->show();
        VrLabel1->setText(kva::workingText());
        Gauge1->setValue(25);
        // Both commands are built now, from the numbers shown when the write begins.
        kva::Sequence write;
        write.send(phoneBookWrite(5, StaticText1->text(), QStringLiteral("Setup")))
            .pause(500)
            .then([this] { Gauge1->setValue(50); })
            .pause(500)
            .then([this] { Gauge1->setValue(75); })
            .pause(500)
            .then([this] { Gauge1->setValue(100); })
            .send(phoneBookWrite(6, StaticText2->text(), QStringLiteral("Casy")))
            .then([this] {
                form1_.ReplyBuffer = QStringLiteral(" ");
                VrLabel1->clear();
                Gauge1->hide();
                Povol_tlacitka();
                form1_.channel().end();
            });
        ch.run(std::move(write));
    });
}

void TForm5::Button1Click()
{
    form1_.channel().beginWithProbe(this, [this] { backToIdle(); }, [this] {
        form1_.ExchangeStep = 0;
        Timer2->start();
    });
}

void TForm5::Timer2Timer()
{
    Timer2->stop();
    kva::PhoneChannel& ch = form1_.channel();
    ch.step([&] {
        switch (form1_.ExchangeStep) {
        case 0:
            if (ch.endIfSilent(this, [this] { Povol_tlacitka(); }))
                return;
            Zakaz_tlacitka();
            ch.send(kva::phoneBookReadCommand(5));
            form1_.ExchangeStep = 5;
            Timer2->start();
            VrLabel1->setText(kva::workingText());
            Gauge1->setValue(0);
            Gauge1->show();
            break;
        case 5: {
            // Only an answer to this very command, naming position 5, counts as an entry.
            const kva::PhoneBookEntry entry = kva::phoneBookEntry(form1_.ReplyBuffer, 5);
            if (entry.present) {
                Smaz_nastaveni();
                StaticText1->setText(entry.number);
                form1_.ReplyBuffer = StaticText1->text();
                Nastaveni_checku();
                form1_.ReplyBuffer = QStringLiteral(" ");
            }
            Gauge1->setValue(100);
            form1_.ReplyBuffer = QStringLiteral(" ");
            ch.send(kva::phoneBookReadCommand(6));
            form1_.ExchangeStep = 6;
            Timer2->start();
            break;
        }
        case 6: {
            const kva::PhoneBookEntry entry = kva::phoneBookEntry(form1_.ReplyBuffer, 6);
            if (entry.present) {
                StaticText2->setText(entry.number);
                form1_.ReplyBuffer = StaticText2->text();
                Nastaveni_casu(); // a non-digit throws: the exchange ends with the error shown
                form1_.ReplyBuffer = QStringLiteral(" ");
            }
            VrLabel1->clear();
            Gauge1->setValue(100);
            Povol_tlacitka();
            Gauge1->hide();
            ch.end();
            break;
        }
        default:
            break;
        }
    });
}
