#include "CardSim.h"

#include "Records.h"
#include "SimFiles.h"

#include <QMetaObject>
#include <QPointer>

#include <atomic>

namespace kva {

using sim::PositionResult;
using sim::Progress;

namespace card {

// One request: what it does, and the card while it runs. Built on the user-interface thread;
// its channel and files are touched on the card thread only.
struct Session {
    quint16 file = 0;
    bool writing = false;
    QList<CardSim::Step> steps;
    Progress progress;
    QString workingText;
    QString finishedText;
    std::atomic<bool> cancelled{false};

    std::unique_ptr<CardChannel> card;    // as the opener made it
    std::unique_ptr<CardChannel> channel; // the card, logged
    std::unique_ptr<SimFiles> files;
    SimFiles::Ef ef;
};

// Passes every command and response on to the log, the PIN masked.
class LoggedChannel : public CardChannel {
public:
    LoggedChannel(CardChannel& inner, CardSim& sim) : inner_(inner), sim_(sim) {}
    Response transmit(const QByteArray& apdu) override
    {
        emit sim_.apduSent(loggedApdu(apdu));
        const Response r = inner_.transmit(apdu);
        emit sim_.apduReceived(loggedResponse(r));
        return r;
    }

private:
    CardChannel& inner_;
    CardSim& sim_;
};

} // namespace card

namespace {

template <class F, class... Args>
void tell(const F& f, Args&&... args)
{
    if (f)
        f(std::forward<Args>(args)...);
}

QString pinTriesText(int tries)
{
    if (tries == 1)
        return QStringLiteral("zbývá 1 pokus");
    if (tries >= 2 && tries <= 4)
        return QStringLiteral("zbývají %1 pokusy").arg(tries);
    return QStringLiteral("zbývá %1 pokusů").arg(tries);
}

} // namespace

CardSim::CardSim(QObject* parent) : SimAccess(parent)
{
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("card"));
    thread_.start();
}

CardSim::~CardSim()
{
    if (session_)
        session_->cancelled = true;
    session_.reset();
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void CardSim::setCard(const QString& name, Opener opener)
{
    name_ = name;
    opener_ = std::move(opener);
}

void CardSim::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

CardSim::Start CardSim::run(quint16 file, bool writing, QList<Step> steps, Progress progress, QString workingText,
                            QString finishedText)
{
    if (!connected())
        return Start::NotConnected;
    if (busy())
        return Start::Busy;
    auto session = std::make_shared<card::Session>();
    session->file = file;
    session->writing = writing;
    session->steps = std::move(steps);
    session->progress = std::move(progress);
    session->workingText = std::move(workingText);
    session->finishedText = std::move(finishedText);
    session_ = session;
    written_ = skipped_ = 0;
    emit busyChanged(true);
    tell(session->progress.started);

    const QPointer<CardSim> self(this);
    post([this, self, session, opener = opener_] {
        if (session->cancelled)
            return;
        // Connecting: a failure here means the card is not there to talk to.
        try {
            session->card = opener();
        } catch (const std::exception& e) {
            const QString message = QString::fromUtf8(e.what());
            QMetaObject::invokeMethod(this, [this, session, message] {
                if (!current(session))
                    return;
                const Progress p = session->progress;
                session_.reset();
                emit busyChanged(false);
                if (p.notAnswered)
                    p.notAnswered();
                else
                    tell(p.stopped);
                emit silent(message);
            }, Qt::QueuedConnection);
            return;
        }
        session->channel = std::make_unique<card::LoggedChannel>(*session->card, *this);
        try {
            session->files = std::make_unique<card::SimFiles>(*session->channel);
            session->files->open();
            session->ef = session->files->select(session->file);
            const card::SimFiles::Pin pin = session->files->pinState(session->ef, session->writing);
            QMetaObject::invokeMethod(this, [this, session, pin] { opened(session, pin.needed, pin.triesLeft, pin.blocked); },
                                      Qt::QueuedConnection);
        } catch (const std::exception& e) {
            const QString message = QString::fromUtf8(e.what());
            session->files.reset();
            session->channel.reset();
            session->card.reset(); // the card is reset as it is let go
            QMetaObject::invokeMethod(this, [this, session, message] { fail(session, message); }, Qt::QueuedConnection);
        }
    });
    return Start::Started;
}

void CardSim::letGo(const std::shared_ptr<card::Session>& session)
{
    post([session] {
        session->files.reset();
        session->channel.reset();
        session->card.reset(); // the card is reset as it is let go
    });
}

void CardSim::opened(const std::shared_ptr<card::Session>& session, bool needed, int triesLeft, bool blocked)
{
    if (!current(session)) {
        letGo(session);
        return;
    }
    tell(session->progress.answered);
    if (!needed) {
        work(session, QString());
        return;
    }
    if (blocked) {
        fail(session, QStringLiteral("PIN SIM karty je zablokovaný. Odblokujte SIM v telefonu kódem PUK, "
                                     "tento program PUK nepoužívá."));
        return;
    }
    if (triesLeft < 3) {
        fail(session, QStringLiteral("SIM karta žádá PIN a %1 ze 3. Aby se SIM nezablokovala, tento program PIN "
                                     "nezkouší: zadejte správný PIN v telefonu, pak SIM vraťte do čtečky.")
                          .arg(pinTriesText(triesLeft)));
        return;
    }
    std::optional<QString> pin = prompt_ ? prompt_(triesLeft) : std::nullopt;
    if (!current(session)) {
        letGo(session); // cancelled while the user was asked
        return;
    }
    if (!pin) {
        const Progress p = session->progress;
        letGo(session);
        end(session);
        tell(p.stopped);
        return;
    }
    if (!card::SimFiles::pinFormOk(*pin)) {
        pin->fill(QLatin1Char('0'));
        fail(session, QStringLiteral("PIN musí mít 4 až 8 číslic; SIM jsem ho neposlal."));
        return;
    }
    work(session, *pin);
    pin->fill(QLatin1Char('0'));
}

void CardSim::work(const std::shared_ptr<card::Session>& session, QString pin)
{
    tell(session->progress.working, session->workingText);
    tell(session->progress.progress, 0);
    post([this, session, pin]() mutable {
        const auto back = [this, session](std::function<void()> f) {
            QMetaObject::invokeMethod(this, [this, session, f = std::move(f)] {
                if (current(session))
                    f();
            }, Qt::QueuedConnection);
        };
        const auto release = [session] {
            session->files.reset();
            session->channel.reset();
            session->card.reset(); // the card is reset as it is let go
        };
        try {
            card::SimFiles& files = *session->files;
            const card::SimFiles::Ef& ef = session->ef;
            if (!pin.isEmpty()) {
                const card::SimFiles::Verified v = files.verify(pin, ef);
                pin.fill(QLatin1Char('0'));
                pin.clear();
                if (!v.accepted) {
                    release();
                    const QString message =
                        v.blocked ? QStringLiteral("Chybný PIN. SIM karta je teď zablokovaná; odblokujte ji v telefonu kódem PUK.")
                                  : QStringLiteral("Chybný PIN, %1. Další pokus udělejte v telefonu, aby se SIM "
                                                   "nezablokovala.").arg(pinTriesText(v.triesLeft));
                    back([this, session, message] { fail(session, message); });
                    return;
                }
            }
            const int count = int(session->steps.size());
            for (int i = 0; i < count; ++i) {
                if (session->cancelled) {
                    release();
                    return;
                }
                const CardSim::Step& step = session->steps[i];
                PositionResult r;
                r.position = step.position;
                int written = 0, skipped = 0;
                if (step.kind == CardSim::Step::Read) {
                    const QByteArray record = files.readRecord(ef, step.position);
                    if (ef.id == card::SimFiles::Adn) {
                        const auto entry = card::decodeAdn(record);
                        r.outcome = entry ? PositionResult::Found : PositionResult::Empty;
                        if (entry)
                            r.entry = {entry->number, entry->name};
                    } else {
                        r.pdu = card::decodeSms(record);
                        r.outcome = r.pdu.isEmpty() ? PositionResult::Empty : PositionResult::Found;
                    }
                } else {
                    QByteArray wanted;
                    if (ef.id == card::SimFiles::Adn)
                        wanted = step.clears ? card::freeAdn(ef.recordLength)
                                             : card::encodeAdn({step.entry.name, step.entry.number}, ef.recordLength);
                    else
                        wanted = step.clears ? card::freeSms() : card::encodeSms(step.pduText);
                    if (files.readRecord(ef, step.position) == wanted) {
                        skipped = 1;
                    } else {
                        files.updateRecord(ef, step.position, wanted);
                        if (files.readRecord(ef, step.position) != wanted)
                            throw card::CardError(QStringLiteral("Záznam %1 souboru %2 po zápisu nesouhlasí s tím, co bylo "
                                                                 "zapsáno; SIM může být poškozená nebo vytažená.")
                                                      .arg(step.position)
                                                      .arg(card::fileName(ef.id)));
                        written = 1;
                    }
                    r.outcome = step.done;
                }
                const bool last = i + 1 == count;
                back([this, session, r, i, count, last, written, skipped] {
                    written_ += written;
                    skipped_ += skipped;
                    tell(session->progress.positionDone, r);
                    tell(session->progress.progress, last ? 100 : 100 * (i + 1) / count);
                });
            }
            release();
            back([this, session] {
                const Progress p = session->progress;
                const QString text = session->finishedText;
                end(session);
                tell(p.finished, text);
            });
        } catch (const std::exception& e) {
            release();
            const QString message = QString::fromUtf8(e.what());
            back([this, session, message] { fail(session, message); });
        }
    });
}

void CardSim::end(const std::shared_ptr<card::Session>& session)
{
    if (!current(session))
        return;
    session_.reset();
    emit busyChanged(false);
}

void CardSim::fail(const std::shared_ptr<card::Session>& session, const QString& message)
{
    if (!current(session))
        return;
    const Progress p = session->progress;
    session->cancelled = true;
    letGo(session);
    end(session);
    tell(p.stopped);
    emit failed(message);
}

void CardSim::interrupt()
{
    if (!session_)
        return;
    // A record is written whole or not at all: there is nothing half-done to take back.
    const std::shared_ptr<card::Session> session = session_;
    fail(session, QStringLiteral("Výměna s kartou byla přerušena."));
}

void CardSim::cancel()
{
    if (!session_)
        return;
    const std::shared_ptr<card::Session> session = session_;
    session->cancelled = true;
    letGo(session);
    end(session);
    tell(session->progress.stopped);
}

CardSim::Start CardSim::readEntries(sim::Set, const QList<int>& positions, Progress progress)
{
    QList<Step> steps;
    for (int position : positions)
        steps.append(Step::read(position));
    return run(card::SimFiles::Adn, false, steps, std::move(progress), sim::workingText(), QString());
}

CardSim::Start CardSim::writeEntries(sim::Set set, const QList<sim::EntryToWrite>& entries, Progress progress)
{
    QList<Step> steps;
    for (const sim::EntryToWrite& e : entries) {
        Step step;
        step.position = e.position;
        step.kind = Step::Write;
        step.entry = e;
        // An entry without a number clears its position; its name is not written.
        step.clears = e.number.isEmpty();
        step.done = step.clears && set != sim::Set::Configuration ? PositionResult::Deleted : PositionResult::Written;
        steps.append(step);
    }
    return run(card::SimFiles::Adn, true, steps, std::move(progress), sim::workingText(),
               QStringLiteral("Uloženo, SIM potvrdila všechny zápisy"));
}

CardSim::Start CardSim::readMessages(const QList<int>& positions, Progress progress)
{
    QList<Step> steps;
    for (int position : positions)
        steps.append(Step::read(position));
    return run(card::SimFiles::Sms, false, steps, std::move(progress), sim::workingText(), QStringLiteral(" "));
}

CardSim::Start CardSim::storeMessages(const QList<sim::MessageToStore>& messages, Progress progress)
{
    QList<Step> steps;
    for (int i = 0; i < messages.size(); ++i) {
        Step step;
        step.position = i + 1;
        step.kind = Step::Write;
        step.pduText = messages[i].pduText;
        steps.append(step);
    }
    return run(card::SimFiles::Sms, true, steps, std::move(progress), QStringLiteral("Ukládám na pozice na SIM"),
               QStringLiteral("Uloženo, SIM potvrdila všechny zápisy"));
}

CardSim::Start CardSim::deleteMessages(const QList<int>& positions, Progress progress)
{
    QList<Step> steps;
    for (int position : positions)
    {
        Step step;
        step.position = position;
        step.kind = Step::Write;
        step.clears = true;
        step.done = PositionResult::Deleted;
        steps.append(step);
    }
    return run(card::SimFiles::Sms, true, steps, std::move(progress), QStringLiteral("Mažu pozice na SIM"),
               QStringLiteral("Vymazáno, SIM potvrdila všechna vymazání"));
}

} // namespace kva
