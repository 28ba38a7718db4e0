// The "Konfigurace" page's transfer of its two numbers to and from the SIM: requests built
// from the page, results shown on it.
#include "Unit5.h"

#include "PageControls.h"
#include "SimLink.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int OptionsPosition = 5;
constexpr int TimesPosition = 6;

} // namespace

void TForm5::connectTransfer()
{
    connect(BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    link_.guardButtons({BitBtn3, Button1});
}

void TForm5::backToIdle()
{
    kva::showIdle(VrLabel1, Gauge1, QString());
    Povol_tlacitka();
}

kva::sim::Progress TForm5::statusProgress()
{
    return kva::statusRowProgress(VrLabel1, Gauge1, QString(), [this] { Povol_tlacitka(); },
                                  [this] { Zakaz_tlacitka(); });
}

void TForm5::BitBtn3Click()
{
    // Both numbers are taken now: what is written is what the page showed at the click.
    const QList<kva::sim::EntryToWrite> entries{
        {OptionsPosition, StaticText1->text(), QStringLiteral("Setup")},
        {TimesPosition, StaticText2->text(), QStringLiteral("Casy")},
    };
    kva::sim::Progress p = statusProgress();
    link_.start(this, [&](kva::sim::SimAccess& sim) {
        return sim.writeEntries(kva::sim::Set::Configuration, entries, p);
    });
}

void TForm5::Button1Click()
{
    kva::sim::Progress p = statusProgress();
    p.positionDone = [this](const kva::sim::PositionResult& r) { showReadEntry(r); };
    link_.start(this, [&](kva::sim::SimAccess& sim) {
        return sim.readEntries(kva::sim::Set::Configuration, {OptionsPosition, TimesPosition}, p);
    });
}

// An entry found replaces what the page shows; an empty position leaves it, and so does a
// position that could not be read (the read ends with a box naming it).
void TForm5::showReadEntry(const kva::sim::PositionResult& result)
{
    if (!result.found())
        return;
    if (result.position == OptionsPosition) {
        Smaz_nastaveni();
        StaticText1->setText(result.entry.number);
        Nastaveni_checku(StaticText1->text());
    } else if (result.position == TimesPosition) {
        StaticText2->setText(result.entry.number);
        Nastaveni_casu(StaticText2->text()); // a non-digit throws: the read ends with the error shown
    }
}
