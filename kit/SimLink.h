#pragma once
// The pages' way to the SIM: the SIM access the user chose (a phone or a card reader), its
// refusals, failures and the positions a read could not read shown in boxes over the page that
// asked, and the pages' phone buttons disabled while any request runs. One instance for the
// whole program, owned by the main window.
//
//   // constructor: phone buttons off while any request runs
//   link.guardButtons({Button1, BitBtn3});
//
//   void Page::Button1Click() {
//       kva::sim::Progress p = kva::statusRowProgress(VrLabel1, Gauge1, QString(), [this] { Povol_tlacitka(); });
//       p.positionDone = [this](const kva::sim::PositionResult& r) { show(r); };
//       link_.start(this, [&](kva::sim::SimAccess& sim) { return sim.readEntries(set, positions, p); });
//   }
//
// Thread contract: user-interface thread only.
#include "SimAccess.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <initializer_list>

class QAbstractButton;
class QWidget;

namespace kva {

class SimLink : public QObject {
    Q_OBJECT
public:
    // `window`: parent of the boxes when no page is named.
    SimLink(sim::SimAccess& sim, QWidget* window, QObject* parent = nullptr);

    sim::SimAccess& sim() const { return *sim_; }
    bool busy() const { return sim_->busy(); }
    // From now on the pages' requests go to `sim`; a request still running on the previous one
    // is cancelled first.
    void setSim(sim::SimAccess& sim);

    // Nothing to talk to: error box with the SIM access's notConnectedText() (for the phone
    // "POZOR - sériový port není otevřen !"; title "Error"), true.
    bool refuseIfNotConnected(QWidget* page);
    // Runs `request` for `page`. A refusal (nothing connected, another request running) is
    // shown in a box over the page and gives false. Failures of the running request are shown
    // over the page too.
    bool start(QWidget* page, const std::function<sim::SimAccess::Start(sim::SimAccess&)>& request);

    // These buttons are disabled while any request runs and enabled again when it ends.
    void guardButtons(std::initializer_list<QAbstractButton*> buttons);

private:
    QWidget* boxParent() const;
    void busyChanged(bool busy);
    void attach();

    sim::SimAccess* sim_;
    QList<QMetaObject::Connection> connections_;
    QPointer<QWidget> window_;
    QPointer<QWidget> page_; // of the latest request: its failure is shown over it
    QList<QPointer<QAbstractButton>> guarded_;
};

} // namespace kva
