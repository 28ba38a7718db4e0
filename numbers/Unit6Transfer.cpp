// The phone-number page's transfer of its five entries to and from the phone.
#include "Unit6.h"

#include "MessageBoxes.h"
#include "NumberTransfer.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneReply.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <optional>

using namespace kva::numbers;

void TForm6::connectTransfer()
{
    kva::PhoneChannel& ch = form1_.channel();
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    // Ticks go through the channel: a tick due while an answer is being received waits for it.
    ch.routeTimer(Timer2, [this] { Timer2Timer(); });
    ch.guardButtons({Button1, Button2});
}

void TForm6::backToIdle()
{
    Timer2->stop();
    VrLabel1->clear();
    Gauge1->hide();
    Povol_tlacitka();
}

void TForm6::Button1Click()
{
    startExchange(ReadProbeStep);
}

void TForm6::Button2Click()
{
    if (!Kontrola()) {
        kva::showRefusal(this, QStringLiteral("POZOR - telefonní čísla nejsou ve správném formátu !"));
        return;
    }
    startExchange(WriteProbeStep);
}

void TForm6::startExchange(int probeStep)
{
    form1_.channel().beginWithProbe(this, [this] { backToIdle(); }, [this, probeStep] {
        form1_.ExchangeStep = probeStep;
        Timer2->start();
    });
}

void TForm6::Timer2Timer()
{
    Timer2->stop();
    const int step = form1_.ExchangeStep;
    if (step != ReadProbeStep && step != WriteProbeStep && !isReadStep(step))
        return;
    kva::PhoneChannel& ch = form1_.channel();
    ch.step([&] {
        if (step == ReadProbeStep || step == WriteProbeStep) {
            if (ch.endIfSilent(this, [this] { Povol_tlacitka(); }))
                return;
            Zakaz_tlacitka();
            if (step == WriteProbeStep) {
                startWrite();
                return;
            }
            ch.send(kva::phoneBookReadCommand(SimPositions[0]));
            form1_.ExchangeStep = SimPositions[0];
            Timer2->start();
            setEntries(Entries{});
            VrLabel1->setText(kva::workingText());
            Gauge1->setValue(0);
            Gauge1->show();
            return;
        }
        readStep(step);
    });
}

void TForm6::readStep(int position)
{
    // Only an answer that follows the echo of this position's command and names this position
    // counts: a late answer to the previous command is not this position's entry.
    if (const std::optional<Entry> entry = decodeReadReply(form1_.ReplyBuffer, position)) {
        const int i = entryIndex(position);
        numberFields_[i]->setText(entry->number);
        nameFields_[i]->setText(entry->name);
    }
    kva::PhoneChannel& ch = form1_.channel();
    const int next = nextReadPosition(position);
    if (next != 0)
        Gauge1->setValue(gaugeAfterRead(position));
    form1_.ReplyBuffer = QStringLiteral(" ");
    if (next != 0) {
        ch.send(kva::phoneBookReadCommand(next));
        form1_.ExchangeStep = next;
        Timer2->start();
        return;
    }
    VrLabel1->clear();
    Gauge1->setValue(100);
    Povol_tlacitka();
    Gauge1->hide();
    ch.end();
}

void TForm6::startWrite()
{
    Gauge1->setValue(0);
    Gauge1->show();
    VrLabel1->setText(kva::workingText());
    // Every command is built now, from the texts the fields hold as the write begins.
    const Entries e = entries();
    kva::Sequence write;
    for (int i = 0; i < EntryCount; ++i) {
        write.send(entryCommand(SimPositions[i], e[i]));
        if (i + 1 < EntryCount)
            write.then([this, i] { Gauge1->setValue(20 * (i + 1)); });
        write.pause(WritePauseMs);
    }
    write.then([this] {
        VrLabel1->clear();
        Gauge1->setValue(100);
        Povol_tlacitka();
        Gauge1->hide();
        form1_.channel().end();
    });
    form1_.channel().run(std::move(write));
}
