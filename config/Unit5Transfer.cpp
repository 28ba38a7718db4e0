// The "Konfigurace" page's transfer of its two numbers to and from the phone, as exchange
// tables played by the channel.
#include "Unit5.h"

#include "AtCommands.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneReply.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

// From a command (or the probe) to the examination of its answer.
constexpr int AnswerWaitMs = 500;
// Between the write's two commands, in three steps of the gauge.
constexpr int WritePauseMs = 500;

QString writtenAt(int position)
{
    return QStringLiteral("zápis konfigurace na pozici %1 telefonního seznamu SIM").arg(position);
}

} // namespace

void TForm5::connectTransfer()
{
    connect(BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    channel_.guardButtons({BitBtn3, Button1});
}

void TForm5::backToIdle()
{
    kva::showIdle(VrLabel1, Gauge1, QString());
    Povol_tlacitka();
}

void TForm5::BitBtn3Click()
{
    kva::Exchange write = channel_.probe(AnswerWaitMs, this, [this] { Povol_tlacitka(); },
                                         [this] { state_.ExchangePhase = QStringLiteral("test_komunikace"); });
    write.then([this] { Timer1Timer(); });
    channel_.start(this, [this] { backToIdle(); }, std::move(write));
}

// The probe was answered: both commands are built now, from the numbers shown when the
// write begins.
void TForm5::Timer1Timer()
{
    if (state_.ExchangePhase != QStringLiteral("test_komunikace"))
        return;
    Zakaz_tlacitka();
    state_.ExchangePhase = QStringLiteral("prvni_konfigurak");
    kva::showBusy(VrLabel1, Gauge1);
    Gauge1->setValue(25);
    // Each command is confirmed by the phone before the exchange goes on: the first at the end
    // of the pause it already has, the second within one answer wait after it.
    kva::Exchange write;
    write.send(kva::phoneBookWriteCommand(5, StaticText1->text(), QStringLiteral("Setup")))
        .pause(WritePauseMs)
        .then([this] { Gauge1->setValue(50); })
        .pause(WritePauseMs)
        .then([this] { Gauge1->setValue(75); })
        .pause(WritePauseMs)
        .check(channel_.confirm({kva::Confirmation::Done, writtenAt(5), true}))
        .then([this] { Gauge1->setValue(100); })
        .send(kva::phoneBookWriteCommand(6, StaticText2->text(), QStringLiteral("Casy")))
        .await(AnswerWaitMs)
        .check(channel_.confirm({kva::Confirmation::Done, writtenAt(6)}))
        .then([this] {
            state_.ReplyBuffer = QStringLiteral(" ");
            kva::showIdle(VrLabel1, Gauge1, kva::allWritesConfirmedText());
            Povol_tlacitka();
        });
    channel_.continueWith(write);
}

void TForm5::Button1Click()
{
    kva::Exchange read =
        channel_.probe(AnswerWaitMs, this, [this] { Povol_tlacitka(); }, [this] { state_.ExchangeStep = 0; });
    read.then([this] { Zakaz_tlacitka(); });
    for (int position : {5, 6})
        read.send(kva::phoneBookReadCommand(position))
            .then([this, position] {
                state_.ExchangeStep = position;
                if (position == 5)
                    kva::showBusy(VrLabel1, Gauge1);
            })
            .await(AnswerWaitMs)
            .then([this] { Timer2Timer(); });
    channel_.start(this, [this] { backToIdle(); }, std::move(read));
}

// The answer to the read of position 5 (the options) or 6 (the times) is in ReplyBuffer.
void TForm5::Timer2Timer()
{
    const int position = state_.ExchangeStep;
    // Only an answer to this very command, naming this position, counts as an entry.
    const kva::PhoneBookEntry entry = kva::phoneBookEntry(state_.ReplyBuffer, position);
    if (position == 5) {
        if (entry.present) {
            Smaz_nastaveni();
            StaticText1->setText(entry.number);
            Nastaveni_checku(StaticText1->text());
        }
        Gauge1->setValue(100);
        state_.ReplyBuffer = QStringLiteral(" ");
    } else if (position == 6) {
        if (entry.present) {
            StaticText2->setText(entry.number);
            Nastaveni_casu(StaticText2->text()); // a non-digit throws: the exchange ends with the error shown
            state_.ReplyBuffer = QStringLiteral(" ");
        }
        kva::showIdle(VrLabel1, Gauge1, QString());
        Povol_tlacitka();
    }
}
