#include "SimLink.h"

#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QWidget>

namespace kva {

SimLink::SimLink(sim::SimAccess& sim, QWidget* window, QObject* parent)
    : QObject(parent), sim_(&sim), window_(window)
{
    attach();
}

void SimLink::attach()
{
    connections_ = {
        connect(sim_, &sim::SimAccess::busyChanged, this, &SimLink::busyChanged),
        connect(sim_, &sim::SimAccess::failed, this, [this](const QString& message) { showErrorBox(boxParent(), message); }),
        connect(sim_, &sim::SimAccess::silent, this, [this](const QString& message) { showWarning(boxParent(), message); }),
        connect(sim_, &sim::SimAccess::incomplete, this,
                [this](const QString& message) { showWarning(boxParent(), message); }),
    };
}

void SimLink::setSim(sim::SimAccess& sim)
{
    if (&sim == sim_)
        return;
    sim_->cancel();
    for (const QMetaObject::Connection& c : connections_)
        disconnect(c);
    sim_ = &sim;
    attach();
    busyChanged(sim_->busy());
}

QWidget* SimLink::boxParent() const
{
    return page_ ? page_.data() : window_.data();
}

bool SimLink::refuseIfNotConnected(QWidget* page)
{
    if (sim_->connected())
        return false;
    showRefusal(page ? page : window_.data(), sim_->notConnectedText());
    return true;
}

bool SimLink::start(QWidget* page, const std::function<sim::SimAccess::Start(sim::SimAccess&)>& request)
{
    if (refuseIfNotConnected(page))
        return false;
    if (sim_->busy()) {
        showRefusal(page ? page : window_.data(),
                    QStringLiteral("POZOR - s telefonem právě probíhá jiná operace, vyčkejte na její dokončení !"));
        return false;
    }
    const QPointer<QWidget> previous = page_;
    page_ = page;
    if (request(*sim_) == sim::SimAccess::Start::Started)
        return true;
    page_ = previous;
    return false;
}

void SimLink::guardButtons(std::initializer_list<QAbstractButton*> buttons)
{
    for (QAbstractButton* b : buttons) {
        guarded_.append(b);
        if (sim_->busy())
            b->setEnabled(false);
    }
}

void SimLink::busyChanged(bool busy)
{
    for (const QPointer<QAbstractButton>& b : guarded_)
        if (b)
            b->setEnabled(!busy);
}

} // namespace kva
