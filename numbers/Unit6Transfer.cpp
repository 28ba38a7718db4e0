// The phone-number page's transfer of its five entries to and from the SIM: requests built
// from the fields, results shown in them.
#include "Unit6.h"

#include "MessageBoxes.h"
#include "NumberTransfer.h"
#include "PageControls.h"
#include "SimLink.h"
#include "VrStrEdit.h"

#include <QLabel>
#include <QPushButton>

using namespace kva::numbers;

void TForm6::connectTransfer()
{
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    link_.guardButtons({Button1, Button2});
}

void TForm6::backToIdle()
{
    kva::showIdle(VrLabel1, Gauge1, QString());
    Povol_tlacitka();
}

kva::sim::Progress TForm6::statusProgress()
{
    return kva::statusRowProgress(VrLabel1, Gauge1, QString(), [this] { Povol_tlacitka(); },
                                  [this] { Zakaz_tlacitka(); });
}

void TForm6::Button1Click()
{
    kva::sim::Progress p = statusProgress();
    // Each field changes only once the phone has told its position: an entry fills it, an empty
    // position empties it, a failed read leaves what it showed (listed in one box at the end).
    p.positionDone = [this](const kva::sim::PositionResult& r) {
        const int i = entryIndex(r.position);
        if (i < 0 || (r.outcome != kva::sim::PositionResult::Found && r.outcome != kva::sim::PositionResult::Empty))
            return;
        numberFields_[i]->setText(r.entry.number);
        nameFields_[i]->setText(r.entry.name);
    };
    link_.start(this, [&](kva::sim::SimAccess& sim) {
        return sim.readEntries(kva::sim::Set::PhoneNumbers, readPositions(), p);
    });
}

void TForm6::Button2Click()
{
    if (!Kontrola()) {
        kva::showRefusal(this, QStringLiteral("POZOR - telefonní čísla nejsou ve správném formátu !"));
        return;
    }
    // Every entry is taken now, from the texts the fields hold at the click.
    const QList<kva::sim::EntryToWrite> request = writeRequest(entries());
    kva::sim::Progress p = statusProgress();
    link_.start(this, [&](kva::sim::SimAccess& sim) {
        return sim.writeEntries(kva::sim::Set::PhoneNumbers, request, p);
    });
}
