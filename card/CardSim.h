#pragma once
// The SIM reached through a smart-card reader: the pages' requests served record by record on a
// card thread of its own (a card command blocks), with the results handed back to the
// user-interface thread through queued calls.
//
// One request is one session with the card: connect (exclusively), find out whether what is to
// be done needs the PIN, ask the user for it only then, work, and let the card go with a reset.
// The PIN rules, so that the SIM is never blocked: the tries left are read before anything is
// verified; VERIFY is sent once, only for a PIN the user typed and only while all three tries
// remain (with fewer the user is told to unlock the SIM in a phone); the PUK is never touched;
// the PIN is neither kept after the request nor logged.
//
// Every written record is read back and compared; a record that already holds the bytes is not
// written again. Phone-book positions are records of EF_ADN, message positions records of
// EF_SMS (stored as "to be sent", as a phone stores them).
//
//   kva::CardSim sim;
//   sim.setCard(QStringLiteral("Čtečka X"), [] { return std::make_unique<kva::card::PcscCard>("Čtečka X"); });
//   sim.setPinPrompt([](int triesLeft) -> std::optional<QString> { return askTheUser(triesLeft); });
//
// Thread contract: user-interface thread only, like every SimAccess; the opener and the channel
// it makes are used on the card thread only.
#include "CardChannel.h"
#include "SimAccess.h"

#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace kva {

namespace card {
struct Session;
}

class CardSim : public sim::SimAccess {
    Q_OBJECT
public:
    using Opener = std::function<std::unique_ptr<card::CardChannel>()>;
    // Asked when the SIM needs the PIN and all three tries remain; none when the user cancels.
    using PinPrompt = std::function<std::optional<QString>(int triesLeft)>;

    explicit CardSim(QObject* parent = nullptr);
    ~CardSim() override;

    // The card to use from the next request on; an empty name: none (requests are refused).
    void setCard(const QString& name, Opener opener);
    QString cardName() const { return name_; }
    void setPinPrompt(PinPrompt prompt) { prompt_ = std::move(prompt); }

    Start readEntries(sim::Set set, const QList<int>& positions, sim::Progress progress) override;
    Start writeEntries(sim::Set set, const QList<sim::EntryToWrite>& entries, sim::Progress progress) override;
    Start readMessages(const QList<int>& positions, sim::Progress progress) override;
    Start storeMessages(const QList<sim::MessageToStore>& messages, sim::Progress progress) override;
    Start deleteMessages(const QList<int>& positions, sim::Progress progress) override;

    bool connected() const override { return !name_.isEmpty(); }
    QString notConnectedText() const override { return QStringLiteral("POZOR - není vybrána čtečka karet !"); }
    bool busy() const override { return session_ != nullptr; }
    void cancel() override;
    void interrupt() override;

    // One unit of work on a position, as the card thread carries it out.
    struct Step {
        enum Kind { Read, Write };
        int position = 0;
        Kind kind = Read;
        bool clears = false;    // a write of the free record
        sim::EntryToWrite entry; // a phone-book write
        QByteArray pduText;      // a message store
        sim::PositionResult::Outcome done = sim::PositionResult::Written;

        static Step read(int position)
        {
            Step s;
            s.position = position;
            return s;
        }
    };

    // How many records were written and how many were skipped because they held the bytes
    // already, in the latest request.
    int recordsWritten() const { return written_; }
    int recordsSkipped() const { return skipped_; }

signals:
    // Each command to the card and each response, as the dialogue log shows them (the PIN as
    // "****").
    void apduSent(const QByteArray& text);
    void apduReceived(const QByteArray& text);

private:
    Start run(quint16 file, bool writing, QList<Step> steps, sim::Progress progress, QString workingText,
              QString finishedText);
    void post(std::function<void()> work);
    void opened(const std::shared_ptr<card::Session>& session, bool needed, int triesLeft, bool blocked);
    void work(const std::shared_ptr<card::Session>& session, QString pin);
    void end(const std::shared_ptr<card::Session>& session);
    // Lets the card go on the card thread, after whatever it is doing.
    void letGo(const std::shared_ptr<card::Session>& session);
    void fail(const std::shared_ptr<card::Session>& session, const QString& message);
    bool current(const std::shared_ptr<card::Session>& session) const { return session && session == session_; }

    QString name_;
    Opener opener_;
    PinPrompt prompt_;
    QThread thread_;
    QObject* worker_ = nullptr;
    std::shared_ptr<card::Session> session_;
    int written_ = 0;
    int skipped_ = 0;
};

} // namespace kva
