// The "Úprava SMS" page's exchanges with the phone: store, read and delete of SIM SMS
// positions 1 to 9, as exchange tables played by the channel.
#include "Unit4.h"

#include "AtCommands.h"
#include "Cp1250.h"
#include "MessageBoxes.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneReply.h"
#include "VrStrEdit.h"

#include <QLabel>
#include <QPushButton>

using namespace kva::sms;

namespace {

const QString Blank = QStringLiteral(" ");

} // namespace

void TForm4::connectTransfer()
{
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    channel_.guardButtons({Button1, Button3, Button4});
}

void TForm4::backToIdle()
{
    VrLabel1->setText(Blank);
    Gauge1->hide();
    setActionButtonsEnabled(true);
}

void TForm4::clearPairFields()
{
    for (int i = 0; i < PairCount; ++i) {
        numberFields_[i]->setText(QString());
        textFields_[i]->setText(QString());
    }
}

void TForm4::smazni()
{
    IncomingMessage.DestNumber.clear();
    IncomingMessage.MessageText.clear();
}

void TForm4::Gauge_increment()
{
    Gauge1->setValue(gaugeIncrement(Gauge1->value()));
}

QString TForm4::Retezec(int position)
{
    smazni();
    return kva::pduLine(state_.ReplyBuffer, position);
}

void TForm4::setStatus(const QString& text)
{
    VrLabel1->setText(text);
}

void TForm4::setGaugeShown(bool shown)
{
    Gauge1->setVisible(shown);
}

void TForm4::setGauge(int value)
{
    Gauge1->setValue(value);
}

int TForm4::gauge() const
{
    return Gauge1->value();
}

void TForm4::clearReply()
{
    state_.ReplyBuffer = Blank;
}

void TForm4::clearFields()
{
    clearPairFields();
}

const QString& TForm4::receivedSinceSend() const
{
    return channel_.receivedSinceSend();
}

// Runs `exchange` for this page after the buttons are disabled (a closed port is refused with
// its box).
void TForm4::startExchange(kva::Exchange exchange)
{
    kva::Exchange e;
    e.then([this] {
        state_.ReplyBuffer = Blank;
        setActionButtonsEnabled(false);
    });
    e.append(exchange).then([this] { setActionButtonsEnabled(true); });
    channel_.start(this, [this] { backToIdle(); }, std::move(e));
}

void TForm4::Button3Click()
{
    StepDelay = WriteStepDelayMs;
    if (!Kontrola()) {
        kva::showRefusal(this, QStringLiteral("POZOR - telefonní čísla nejsou ve správném formátu !"));
        return;
    }
    kva::Exchange store;
    store.then([this] {
        // All nine PDUs are encoded now: edits made during the 28 s store do not reach it.
        std::array<EncodedSms, PairCount> encoded;
        const SmsSet set = smsSet();
        for (int i = 0; i < PairCount; ++i) {
            const Pair pair = pairToSend(set[i]);
            CurrentNumber = pair.number;
            CurrentText = pair.text;
            Koduj();
            encoded[i] = {OutgoingMessage.PduText, TpduLength};
        }
        channel_.continueWith(storeExchange(encoded, StepDelay, *this));
    });
    startExchange(std::move(store));
}

void TForm4::Button4Click()
{
    StepDelay = WriteStepDelayMs;
    // Refused like the other buttons when the port is closed; the texts on the page go too, so
    // the user is asked first.
    if (channel_.refuseIfClosed(this))
        return;
    if (!channel_.busy() && !kva::askToGoOn(this, QStringLiteral("Opravdu vymazat SMS na pozicích 1 až 9 v telefonu? "
                                             "Texty na této stránce budou také vymazány.")))
        return;
    startExchange(deleteExchange(StepDelay, *this));
}

void TForm4::Button1Click()
{
    kva::Exchange read;
    read.then([this] { state_.ExchangeStep = ProbeStep; })
        .send(kva::probeCommand())
        .await(ReadTimerMs)
        .then([this] { Timer1Timer(); })
        .then(channel_.endIfSilent(this, [this] { setActionButtonsEnabled(true); }))
        // Emptied only once the phone has answered: a silent phone leaves the user's texts.
        .then([this] { clearPairFields(); })
        .pause(ProbePauseMs);
    for (const ReadStep& step : readSteps()) {
        read.send(kva::smsReadCommand(step.position));
        if (step.position == 1)
            read.then([this, step] {
                state_.ExchangeStep = step.step;
                VrLabel1->setText(kva::workingText());
                Gauge1->show();
                Gauge1->setValue(0);
            });
        read.await(ReadTimerMs).then([this] { Timer1Timer(); });
        if (step.next != 0)
            read.pause(ReadStepDelayMs);
    }
    startExchange(std::move(read));
}

void TForm4::showReadAnswer(int pairIndex, const QString& pdu)
{
    IncomingMessage.PduText = pdu.toLatin1();
    kva::DecodePdu(IncomingMessage, CharacterSelector);
    // Text first, then number; a received message has no destination, so its number stays empty.
    textFields_[pairIndex]->setText(kva::fromCp1250(kva::toCp1250(IncomingMessage.MessageText)));
    numberFields_[pairIndex]->setText(kva::fromCp1250(IncomingMessage.DestNumber));
}

// The step after each answer's wait: the probe's answer is examined by the channel; a read
// step takes the PDU of its position and moves the gauge.
void TForm4::Timer1Timer()
{
    StepDelay = ReadStepDelayMs;
    const ReadStep* step = findReadStep(state_.ExchangeStep);
    if (!step)
        return;
    const QString pdu = Retezec(step->position);
    if (!pdu.isEmpty())
        showReadAnswer(step->position - 1, pdu);
    if (step->next == 0) {
        Gauge1->setValue(100);
        Gauge1->hide();
        VrLabel1->setText(Blank);
        return;
    }
    state_.ExchangeStep = step->next;
    Gauge1->setValue(step->progress);
}
