#pragma once
// The SIM reached through a phone that speaks AT commands: the pages' requests turned into
// exchanges of the phone channel. Each set has the pacing the alarm's phones were always given,
// with the SIM's own memory (and, for messages, the PDU mode) selected before the first command
// that relies on it; each such command goes on as soon as its "OK" has come (250 ms with a
// phone that answers at once, the receive wait) and waits 1 s at most:
//
//   configuration  probe, 500 ms, AT+CPBS="SM"; read: AT+CPBR=5 and =6, 500 ms for each
//                  answer; write: AT+CPBW=5, 3 × 500 ms, AT+CPBW=6, 500 ms
//   phone numbers  probe, 300 ms, AT+CPBS="SM"; read: AT+CPBR=n, 300 ms each;
//                  write: AT+CPBW=n, 1500 ms each
//   messages       read: probe, 300 ms, AT+CPMS="SM","SM","SM" and AT+CMGF=0 in the 500 ms the
//                  phone always had after the probe, then AT+CMGR=n, 300 ms, 800 ms between reads;
//                  store: AT+CPMS, AT+CMGF=0, nine AT+CMGD=n, then AT+CMGW=<length> and the PDU
//                  for each message, 1000 ms after every command and once before the first
//                  AT+CMGW; delete: AT+CPMS, AT+CMGF=0, AT+CMGD=n, 1000 ms each
//
// Every write is confirmed by the phone by the end of its pause, or the request stops there
// with the phone's own answer in the error (PhoneChannel::confirm); a refused AT+CMGD=n is
// followed by AT+CMGR=n, and a position that shows empty counts as deleted. A read takes each
// position's answer from everything received since its command was sent, after the echo of that
// command when the phone echoes; an answer not whole at the planned time is waited for up to
// 1 s more. Each position is found, empty (no entry, or the phone's "invalid index") or failed;
// the failed ones are listed in one box at the end (PhoneChannel::incomplete).
#include "AtReply.h"
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
    void interrupt() override;

    PhoneChannel& channel() const { return channel_; }

private:
    Start run(const std::function<Exchange(const sim::Progress&)>& build, sim::Progress progress, bool writes);
    // What a write request had done when it ended early, for its box.
    QString doneSoFar() const;

    PhoneChannel& channel_;
    bool writes_ = false;                 // the running request changes the SIM
    QList<sim::PositionResult> done_;     // its positions confirmed so far
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

// The answer to the read command `command` in `received` (everything since it was sent), the
// echo and whatever came before it left out. `outstanding`: earlier commands of the exchange whose
// final results have not come yet; the first final results after the command are theirs. The
// answer's `outstanding` is what is still due after it (this command's own answer included
// when nothing at all came for it: noise or a broken answer is all a phone says).
struct ReadAnswer {
    AtReply reply;
    int outstanding = 0;
};
ReadAnswer readAnswer(const QString& received, const QString& command, int outstanding);

// The phone-book entry of `position` in `received`: found for an "OK" after a result line naming
// that position (read at the alarm's fixed places), empty for an "OK" alone or the phone's
// "invalid index" / "not found" (+CME ERROR: 21, 22), failed for no answer, any other refusal or
// an answer that does not read. `outstanding` as for readAnswer, updated.
sim::PositionResult phoneBookResult(const QString& received, int position, int& outstanding);
sim::PositionResult phoneBookResult(const QString& received, int position);
// The message of `position`: found for "+CMGR: ..." and a hexadecimal PDU line, empty for an
// "OK" alone or "+CMS ERROR: 321", failed otherwise.
sim::PositionResult messageResult(const QString& received, int position, int& outstanding);
sim::PositionResult messageResult(const QString& received, int position);

// What the number write sends for one entry: the write command, or the delete command when the
// number is empty (the name of an entry without a number is not sent), and what the phone must
// answer to it. `first`: the first command of the write.
QString entryCommand(const sim::EntryToWrite& entry);
Confirmation entryConfirmation(const sim::EntryToWrite& entry, bool first);

} // namespace at

} // namespace kva
