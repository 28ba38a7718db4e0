// The phone-number page's transfer of its five entries to and from the phone, as exchange
// tables played by the channel.
#include "Unit6.h"

#include "AtCommands.h"
#include "MessageBoxes.h"
#include "NumberTransfer.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneReply.h"
#include "VrStrEdit.h"

#include <QLabel>
#include <QPushButton>

#include <optional>

using namespace kva::numbers;

void TForm6::connectTransfer()
{
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    channel_.guardButtons({Button1, Button2});
}

void TForm6::backToIdle()
{
    kva::showIdle(VrLabel1, Gauge1, QString());
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
    kva::Exchange e = channel_.probe(AnswerWaitMs, this, [this] { Povol_tlacitka(); },
                                     [this, probeStep] { state_.ExchangeStep = probeStep; });
    e.then([this] { Timer2Timer(); });
    channel_.start(this, [this] { backToIdle(); }, std::move(e));
}

// The step after each answer's wait: after the probe the read or the write begins; a read
// step takes the entry of its position.
void TForm6::Timer2Timer()
{
    const int step = state_.ExchangeStep;
    if (step == ReadProbeStep || step == WriteProbeStep) {
        Zakaz_tlacitka();
        if (step == WriteProbeStep)
            startWrite();
        else
            startRead();
        return;
    }
    if (isReadStep(step))
        readStep(step);
}

void TForm6::startRead()
{
    kva::Exchange read;
    for (int i = 0; i < EntryCount; ++i) {
        const int position = SimPositions[i];
        read.send(kva::phoneBookReadCommand(position)).then([this, position] { state_.ExchangeStep = position; });
        if (i == 0)
            read.then([this] {
                setEntries(Entries{});
                kva::showBusy(VrLabel1, Gauge1);
            });
        read.await(AnswerWaitMs).then([this] { Timer2Timer(); });
    }
    channel_.continueWith(read);
}

void TForm6::readStep(int position)
{
    // Only an answer that follows the echo of this position's command and names this position
    // counts: a late answer to the previous command is not this position's entry.
    if (const std::optional<Entry> entry = decodeReadReply(state_.ReplyBuffer, position)) {
        const int i = entryIndex(position);
        numberFields_[i]->setText(entry->number);
        nameFields_[i]->setText(entry->name);
    }
    const bool last = nextReadPosition(position) == 0;
    if (!last)
        Gauge1->setValue(gaugeAfterRead(position));
    state_.ReplyBuffer = QStringLiteral(" ");
    if (last) {
        kva::showIdle(VrLabel1, Gauge1, QString());
        Povol_tlacitka();
    }
}

void TForm6::startWrite()
{
    kva::showBusy(VrLabel1, Gauge1);
    // Every command is built now, from the texts the fields hold as the write begins.
    const Entries e = entries();
    kva::Exchange write;
    for (int i = 0; i < EntryCount; ++i) {
        write.send(entryCommand(SimPositions[i], e[i]));
        if (i + 1 < EntryCount)
            write.then([this, i] { Gauge1->setValue(20 * (i + 1)); });
        // The phone confirms each command by the end of its pause, or the write stops there.
        write.pause(WritePauseMs).check(channel_.confirm(entryConfirmation(SimPositions[i], e[i], i == 0)));
    }
    write.then([this] {
        kva::showIdle(VrLabel1, Gauge1, kva::allWritesConfirmedText());
        Povol_tlacitka();
    });
    channel_.continueWith(write);
}
