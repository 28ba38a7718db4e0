// The "Úprava SMS" page's exchanges with the phone: store, read and delete of SIM SMS
// positions 1 to 9.
#include "Unit4.h"

#include "Cp1250.h"
#include "MessageBoxes.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace kva::sms;

namespace {

const QString Blank = QStringLiteral(" ");

} // namespace

void TForm4::connectTransfer()
{
    kva::PhoneChannel& ch = form1_.channel();
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    // Ticks go through the channel: a tick due while an answer is being received waits for it.
    ch.routeTimer(Timer1, [this] { Timer1Timer(); });
    ch.guardButtons({Button1, Button3, Button4});
}

void TForm4::backToIdle()
{
    Timer1->stop();
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
    return pduLine(form1_.ReplyBuffer, position);
}

kva::Sequence TForm4::planSequence(const Plan& plan)
{
    kva::Sequence s;
    for (const PlanStep& p : plan) {
        switch (p.kind) {
        case PlanStep::Send:
            s.send(p.bytes);
            break;
        case PlanStep::Pause:
            s.pause(p.value);
            break;
        case PlanStep::Status:
            s.then([this, text = p.text] { VrLabel1->setText(text); });
            break;
        case PlanStep::ShowGauge:
            s.then([this] { Gauge1->show(); });
            break;
        case PlanStep::HideGauge:
            s.then([this] { Gauge1->hide(); });
            break;
        case PlanStep::Progress:
            s.then([this, value = p.value] { Gauge1->setValue(value); });
            break;
        case PlanStep::GaugeIncrement:
            s.then([this] { Gauge_increment(); });
            break;
        case PlanStep::ClearReply:
            s.then([this] { form1_.ReplyBuffer = Blank; });
            break;
        case PlanStep::ClearFields:
            s.then([this] { clearPairFields(); });
            break;
        }
    }
    s.then([this] {
        setActionButtonsEnabled(true);
        form1_.channel().end();
    });
    return s;
}

void TForm4::Button3Click()
{
    StepDelay = WriteStepDelayMs;
    if (!Kontrola()) {
        kva::showRefusal(this, QStringLiteral("POZOR - telefonní čísla nejsou ve správném formátu !"));
        return;
    }
    kva::PhoneChannel& ch = form1_.channel();
    if (!ch.beginOnOpenPort(this, [this] { backToIdle(); }))
        return;
    ch.step([&] {
        form1_.ReplyBuffer = Blank;
        setActionButtonsEnabled(false);
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
        ch.run(planSequence(storePlan(encoded, StepDelay)));
    });
}

void TForm4::Button4Click()
{
    StepDelay = WriteStepDelayMs;
    kva::PhoneChannel& ch = form1_.channel();
    if (!ch.isOpen() || !ch.begin(this, [this] { backToIdle(); }))
        return;
    ch.step([&] {
        form1_.ReplyBuffer = Blank;
        setActionButtonsEnabled(false);
        ch.run(planSequence(deletePlan(StepDelay)));
    });
}

void TForm4::Button1Click()
{
    kva::PhoneChannel& ch = form1_.channel();
    if (!ch.beginOnOpenPort(this, [this] { backToIdle(); }))
        return;
    ch.step([&] {
        form1_.ReplyBuffer = Blank;
        setActionButtonsEnabled(false);
        form1_.ExchangeStep = ProbeStep;
        ch.send(QByteArrayLiteral("AT\r"));
        Timer1->start();
        clearPairFields();
    });
}

void TForm4::showReadAnswer(int pairIndex, const QString& pdu)
{
    IncomingMessage.PduText = pdu.toLatin1();
    kva::DecodePdu(IncomingMessage, CharacterSelector);
    // Text first, then number; a received message has no destination, so its number stays empty.
    textFields_[pairIndex]->setText(kva::fromCp1250(kva::toCp1250(IncomingMessage.MessageText)));
    numberFields_[pairIndex]->setText(kva::fromCp1250(IncomingMessage.DestNumber));
}

void TForm4::Timer1Timer()
{
    StepDelay = ReadStepDelayMs;
    Timer1->stop();
    kva::PhoneChannel& ch = form1_.channel();
    ch.step([&] {
        if (form1_.ExchangeStep == ProbeStep) {
            if (ch.endIfSilent(this, [this] { setActionButtonsEnabled(true); }))
                return;
            kva::Sequence first;
            first.pause(ProbePauseMs).send(readCommand(1)).then([this] {
                form1_.ExchangeStep = readSteps()[0].step;
                Timer1->start();
                VrLabel1->setText(kva::workingText());
                Gauge1->show();
                Gauge1->setValue(0);
            });
            ch.run(std::move(first));
            return;
        }
        const ReadStep* step = findReadStep(form1_.ExchangeStep);
        if (!step)
            return;
        const QString pdu = Retezec(step->position);
        if (!pdu.isEmpty())
            showReadAnswer(step->position - 1, pdu);
        if (step->next == 0) {
            Gauge1->setValue(100);
            Gauge1->hide();
            VrLabel1->setText(Blank);
            setActionButtonsEnabled(true);
            ch.end();
            return;
        }
        form1_.ExchangeStep = step->next;
        Gauge1->setValue(step->progress);
        kva::Sequence next;
        next.pause(StepDelay).send(readCommand(step->position + 1)).then([this] { Timer1->start(); });
        ch.run(std::move(next));
    });
}
