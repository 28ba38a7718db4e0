// The "Úprava SMS" page's exchanges with the SIM: store, read and delete of SMS positions 1 to
// 9, as requests built from the fields, results shown in them.
#include "Unit4.h"

#include "Cp1250.h"
#include "MessageBoxes.h"
#include "PageControls.h"
#include "SimLink.h"
#include "SmsEncoding.h"
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
    link_.guardButtons({Button1, Button3, Button4});
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

// The page's buttons are off from the start of a request to its end.
kva::sim::Progress TForm4::statusProgress()
{
    kva::sim::Progress p = kva::statusRowProgress(VrLabel1, Gauge1, Blank, [this] { setActionButtonsEnabled(true); });
    p.started = [this] { setActionButtonsEnabled(false); };
    p.stopped = [this] { backToIdle(); };
    return p;
}

void TForm4::Button3Click()
{
    if (!Kontrola()) {
        kva::showRefusal(this, QStringLiteral("POZOR - telefonní čísla nejsou ve správném formátu !"));
        return;
    }
    // All nine PDUs are encoded now: edits made during the 28 s store do not reach it.
    QList<kva::sim::MessageToStore> messages;
    const SmsSet set = smsSet();
    for (int i = 0; i < PairCount; ++i) {
        const Pair pair = pairToSend(set[i]);
        CurrentNumber = pair.number;
        CurrentText = pair.text;
        Koduj();
        messages.append({OutgoingMessage.PduText, TpduLength});
    }
    kva::sim::Progress p = statusProgress();
    link_.start(this, [&](kva::sim::SimAccess& sim) { return sim.storeMessages(messages, p); });
}

void TForm4::Button4Click()
{
    // Refused like the other buttons when the port is closed; the texts on the page go too, so
    // the user is asked first.
    if (link_.refuseIfNotConnected(this))
        return;
    if (!link_.busy() && !kva::askToGoOn(this, QStringLiteral("Opravdu vymazat SMS na pozicích 1 až 9 v telefonu? "
                                          "Texty na této stránce budou také vymazány.")))
        return;
    kva::sim::Progress p = statusProgress();
    // The fields are emptied only once the SIM has confirmed every delete.
    p.finished = [this, finished = p.finished](const QString& text) {
        finished(text);
        clearPairFields();
    };
    link_.start(this, [&](kva::sim::SimAccess& sim) { return sim.deleteMessages(positions(), p); });
}

void TForm4::Button1Click()
{
    kva::sim::Progress p = statusProgress();
    // A pair changes only once the phone has told its position: a message fills it, an empty
    // position empties it, a failed read leaves it as it was (listed in one box at the end).
    p.positionDone = [this](const kva::sim::PositionResult& r) {
        smazni();
        if (r.position < 1 || r.position > PairCount)
            return;
        if (r.found()) {
            showReadAnswer(r.position - 1, r.pdu);
        } else if (r.outcome == kva::sim::PositionResult::Empty) {
            numberFields_[r.position - 1]->setText(QString());
            textFields_[r.position - 1]->setText(QString());
        }
    };
    link_.start(this, [&](kva::sim::SimAccess& sim) { return sim.readMessages(positions(), p); });
}

void TForm4::showReadAnswer(int pairIndex, const QByteArray& pdu)
{
    IncomingMessage.PduText = pdu;
    kva::DecodePdu(IncomingMessage, CharacterSelector);
    // Text first, then number; a received message has no destination, so its number stays empty.
    textFields_[pairIndex]->setText(kva::fromCp1250(kva::toCp1250(IncomingMessage.MessageText)));
    numberFields_[pairIndex]->setText(kva::fromCp1250(IncomingMessage.DestNumber));
}
