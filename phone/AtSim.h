#pragma once
// The SIM reached through a phone that speaks AT commands: the pages' requests turned into
// exchanges of the phone channel. Each set has the pacing the alarm's phones were always given:
//
//   configuration  probe, 500 ms; read: AT+CPBR=5 and =6, 500 ms for each answer;
//                  write: AT+CPBW=5, 3 × 500 ms, AT+CPBW=6, 500 ms
//   phone numbers  probe, 300 ms; read: AT+CPBR=n, 300 ms each; write: AT+CPBW=n, 1500 ms each
//   messages       read: probe, 300 ms, 500 ms, then AT+CMGR=n, 300 ms, 800 ms between reads;
//                  store: nine AT+CMGD=n, then AT+CMGW=<length> and the PDU for each message,
//                  1000 ms after every command and once before the first AT+CMGW;
//                  delete: AT+CMGD=n, 1000 ms each
//
// Every write is confirmed by the phone by the end of its pause, or the request stops there
// with the phone's own answer in the error (PhoneChannel::confirm). Reads take each position's
// answer from everything received since its command was sent, after the echo of that command.
#include "PhoneChannel.h"
#include "SimAccess.h"

namespace kva {

class AtSim : public sim::SimAccess {
    Q_OBJECT
public:
    explicit AtSim(PhoneChannel& channel, QObject* parent = nullptr);

    Start readEntries(sim::Set set, const QList<int>& positions, sim::Progress progress) override;
    Start writeEntries(sim::Set set, const QList<sim::EntryToWrite>& entries, sim::Progress progress) override;
    Start readMessages(const QList<int>& positions, sim::Progress progress) override;
    Start storeMessages(const QList<sim::MessageToStore>& messages, sim::Progress progress) override;
    Start deleteMessages(const QList<int>& positions, sim::Progress progress) override;

    bool connected() const override { return channel_.isOpen(); }
    bool busy() const override { return channel_.busy(); }
    void cancel() override { channel_.abort(); }

    PhoneChannel& channel() const { return channel_; }

private:
    Start run(Exchange exchange, const sim::Progress& progress);

    PhoneChannel& channel_;
};

// The exchanges themselves, for the tests that read their tables.
namespace at {

Exchange configurationRead(PhoneChannel& channel, const QList<int>& positions, const sim::Progress& p);
Exchange configurationWrite(PhoneChannel& channel, const QList<sim::EntryToWrite>& entries, const sim::Progress& p);
Exchange numbersRead(PhoneChannel& channel, const QList<int>& positions, const sim::Progress& p);
Exchange numbersWrite(PhoneChannel& channel, const QList<sim::EntryToWrite>& entries, const sim::Progress& p);
Exchange messagesRead(PhoneChannel& channel, const QList<int>& positions, const sim::Progress& p);
Exchange messagesStore(PhoneChannel& channel, const QList<sim::MessageToStore>& messages, const sim::Progress& p);
Exchange messagesDelete(PhoneChannel& channel, const QList<int>& positions, const sim::Progress& p);

// The phone-book entry of `position` in `received` (everything since its read command was
// sent): found only after the echo of that command, with a result line naming that position.
sim::PositionResult phoneBookResult(const QString& received, int position);
// The message of `position` in `received`: the PDU line after the echo of its read command.
sim::PositionResult messageResult(const QString& received, int position);

// What the number write sends for one entry: the write command, or the delete command when the
// number is empty (the name of an entry without a number is not sent), and what the phone must
// answer to it. `first`: the first command of the write.
QString entryCommand(const sim::EntryToWrite& entry);
Confirmation entryConfirmation(const sim::EntryToWrite& entry, bool first);

} // namespace at

} // namespace kva
