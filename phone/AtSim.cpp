#include "AtSim.h"

#include "AtCommands.h"
#include "AtReply.h"
#include "PhoneReply.h"

#include <algorithm>
#include <memory>

namespace kva {

using sim::PositionResult;
using sim::Progress;

namespace {

// Calls a callback of Progress when the page gave one.
template <class F, class... Args>
void tell(const F& f, Args&&... args)
{
    if (f)
        f(std::forward<Args>(args)...);
}

namespace configuration {
constexpr int AnswerWaitMs = 500; // from a command (or the probe) to the examination of its answer
constexpr int WritePauseMs = 500; // three of them after the first write, the gauge moving
} // namespace configuration

namespace numbers {
constexpr int AnswerWaitMs = 300; // from the probe or a read command to the examination of its answer
constexpr int WritePauseMs = 1500; // after each write command
} // namespace numbers

namespace messages {
constexpr int WritePauseMs = 1000; // after every command of the store and the delete
constexpr int ReadPauseMs = 800;   // after each examined answer, before the next read command
constexpr int ProbePauseMs = 500;      // after the probe was answered, before the first read
constexpr int ReadTimerMs = 300;       // from a read command to the examination of its answer
} // namespace messages

// A read whose answer is not whole when its wait ends waits up to this much longer, going on as
// soon as it is; the memory and mode commands wait this much at most for their "OK".
constexpr int LateAnswerMs = 1000;
constexpr int MemoryAnswerMs = 1000;

// What the user is told of a request that could not select the SIM's memory.
const char* const NothingRead = "Ze SIM nebylo nic načteno, stránka zůstává beze změny.";
const char* const NothingWritten = "Na SIM nebylo nic zapsáno.";
const char* const NothingDeleted = "Na SIM nebylo nic vymazáno.";
const char* const NothingStored = "Na SIM nebylo nic vymazáno ani zapsáno.";

// Where a read stands: answers still due to earlier commands, positions that failed.
struct ReadState {
    int outstanding = 0;
    QStringList failures;
};

// Sends nothing: waits for the answer of the read command just sent, `ms` as planned and then,
// when it is not whole yet, up to LateAnswerMs more (on as soon as it is whole).
void awaitRead(Exchange& e, PhoneChannel& channel, const QString& command, int ms,
               const std::shared_ptr<ReadState>& state)
{
    e.await(ms).awaitAnswer(LateAnswerMs, [&channel, command, state] {
        return at::readAnswer(channel.receivedSinceSend(), command, state->outstanding).reply.complete();
    });
}

// The position's result is taken; a failure is kept for the box at the end of the read.
void noteResult(const std::shared_ptr<ReadState>& state, const PositionResult& r, const QString& kept)
{
    if (r.outcome == PositionResult::Failed)
        state->failures << QStringLiteral("Pozice %1: %2, %3.").arg(r.position).arg(r.reason, kept);
}

void reportFailures(PhoneChannel& channel, const std::shared_ptr<ReadState>& state)
{
    if (state->failures.isEmpty())
        return;
    channel.reportIncomplete(QStringLiteral("Některé pozice se ze SIM nepodařilo načíst:\n") +
                             state->failures.join(u'\n'));
}

const QString KeptValue = QStringLiteral("hodnota na stránce ponechána");
const QString KeptMessage = QStringLiteral("text a číslo na stránce ponechány");

// A memory or mode command before the commands that rely on it: its "OK" awaited (on as soon as
// it has come); a refusal or silence ends the exchange with `note` in the box.
void select(Exchange& e, PhoneChannel& channel, const QByteArray& command, const QString& what, bool first,
            const char* note)
{
    e.send(command)
        .awaitAnswer(MemoryAnswerMs, [&channel] { return readReply(channel.receivedSinceSend()).complete(); })
        .check([confirmed = channel.confirm({Confirmation::Done, what, first, 0}), note] {
            const QString failure = confirmed();
            return failure.isEmpty() ? failure : failure + u'\n' + QString::fromUtf8(note);
        });
}

void selectPhoneBook(Exchange& e, PhoneChannel& channel, const char* note)
{
    select(e, channel, phoneBookMemoryCommand(), QStringLiteral("volbu telefonního seznamu SIM (AT+CPBS=\"SM\")"),
           false, note);
}

void selectMessageStore(Exchange& e, PhoneChannel& channel, bool first, const char* note)
{
    select(e, channel, smsMemoryCommand(),
           QStringLiteral("volbu úložiště SMS na SIM (AT+CPMS=\"SM\",\"SM\",\"SM\")"), first, note);
    select(e, channel, pduModeCommand(), QStringLiteral("režim PDU pro SMS (AT+CMGF=0)"), false, note);
}

PositionResult writtenResult(int position, PositionResult::Outcome outcome = PositionResult::Written)
{
    PositionResult r;
    r.position = position;
    r.outcome = outcome;
    return r;
}

QString configurationWrittenAt(int position)
{
    return QStringLiteral("zápis konfigurace na pozici %1 telefonního seznamu SIM").arg(position);
}

QString messageDeletion(int position)
{
    return QStringLiteral("vymazání SMS na pozici %1").arg(position);
}

// AT+CMGD=n, its second, and its answer: "OK" deletes. A phone that refuses (many do for a
// position that is empty already, each in its own words) is asked AT+CMGR=n: a position it shows
// empty counts as deleted; otherwise the exchange stops there, naming the refusal.
void deleteMessage(Exchange& e, PhoneChannel& channel, int position, std::function<void()> done)
{
    using namespace messages;
    e.send(smsDeleteCommand(position))
        .pause(WritePauseMs)
        .check(channel.confirm({Confirmation::Answered, messageDeletion(position), false, 0}))
        .then([&channel, position, done] {
            const WriteAnswer answer = writeAnswer(channel.receivedSinceSend());
            if (answer.kind != WriteAnswer::Refused) {
                done();
                return;
            }
            const QString command = smsReadCommand(position);
            const QString refusal = answer.refusal;
            Exchange verify;
            verify.send(command)
                .awaitAnswer(WritePauseMs,
                             [&channel, command] { return at::readAnswer(channel.receivedSinceSend(), command, 0).reply.complete(); })
                .check([&channel, position, refusal] {
                    const PositionResult shown = at::messageResult(channel.receivedSinceSend(), position);
                    if (shown.outcome == PositionResult::Empty)
                        return QString();
                    return QStringLiteral("Telefon odmítl %1%2.\nOdpověď telefonu: %3")
                        .arg(messageDeletion(position),
                             shown.found() ? QStringLiteral(" a pozice není prázdná") : QString(),
                             refusalInWords(refusal));
                })
                .then(done);
            channel.continueWith(verify);
        });
}

} // namespace

namespace at {

ReadAnswer readAnswer(const QString& received, const QString& command, int outstanding)
{
    // Final results that come before the echo belong to earlier commands; so do the first ones
    // after it while earlier answers are still due.
    QStringView text(received);
    const auto takeEarlier = [&outstanding](QStringView& from) {
        while (outstanding > 0) {
            const AtReply earlier = readReply(from);
            if (!earlier.complete())
                return;
            from = from.sliced(earlier.end);
            --outstanding;
        }
    };
    const qsizetype echo = received.indexOf(command);
    if (echo >= 0) {
        QStringView before = text.first(echo);
        takeEarlier(before);
        text = text.sliced(echo + command.size());
    }
    takeEarlier(text);
    ReadAnswer answer;
    answer.reply = readReply(text, command);
    // Nothing at all came for this command: its answer may still come, and is owed. Something
    // without a final result (noise, a broken answer) is all the phone will say to it.
    answer.outstanding = outstanding + (!answer.reply.complete() && text.trimmed().isEmpty() ? 1 : 0);
    return answer;
}

namespace {

QString noAnswer() { return QStringLiteral("telefon neodpověděl"); }
QString unreadable() { return QStringLiteral("odpověď telefonu nelze přečíst"); }

PositionResult emptyResult(int position)
{
    PositionResult r;
    r.position = position;
    r.outcome = PositionResult::Empty;
    return r;
}

PositionResult failedResult(int position, const QString& reason)
{
    PositionResult r;
    r.position = position;
    r.outcome = PositionResult::Failed;
    r.reason = reason;
    return r;
}

} // namespace

PositionResult phoneBookResult(const QString& received, int position, int& outstanding)
{
    const QString command = phoneBookReadCommand(position);
    const ReadAnswer answer = readAnswer(received, command, outstanding);
    outstanding = answer.outstanding;
    const AtReply& reply = answer.reply;
    if (!reply.complete())
        return failedResult(position, noAnswer());
    PositionResult r;
    r.position = position;
    if (reply.final == AtReply::Refused) {
        // Invalid index or not found: the phones' ways of saying the position is empty.
        const int code = refusalCode(reply.refusal, u"+CME ERROR");
        if (code == 21 || code == 22)
            return emptyResult(position);
        return failedResult(position, refusalReason(reply.refusal));
    }
    if (reply.information.isEmpty())
        return emptyResult(position);
    const QString line = reply.information.first();
    if (reply.information.size() != 1 || !line.startsWith(QStringLiteral("+CPBR: %1,").arg(position)))
        return failedResult(position, unreadable());
    // The entry is read at the places the alarm's decoding has always used, counted from the
    // echo the phone puts before it.
    const PhoneBookEntry e = phoneBookEntry(command + QStringLiteral("\r\n") + line + QStringLiteral("\r\n"), position);
    if (!e.present)
        return failedResult(position, unreadable());
    r.outcome = PositionResult::Found;
    r.entry = {e.number, e.name};
    return r;
}

PositionResult phoneBookResult(const QString& received, int position)
{
    int outstanding = 0;
    return phoneBookResult(received, position, outstanding);
}

PositionResult messageResult(const QString& received, int position, int& outstanding)
{
    const ReadAnswer answer = readAnswer(received, smsReadCommand(position), outstanding);
    outstanding = answer.outstanding;
    const AtReply& reply = answer.reply;
    if (!reply.complete())
        return failedResult(position, noAnswer());
    PositionResult r;
    r.position = position;
    if (reply.final == AtReply::Refused) {
        if (refusalCode(reply.refusal, u"+CMS ERROR") == 321) // invalid index: nothing stored there
            return emptyResult(position);
        return failedResult(position, refusalReason(reply.refusal));
    }
    if (reply.information.isEmpty())
        return emptyResult(position);
    if (reply.information.size() != 2 || !reply.information[0].startsWith(u"+CMGR:") ||
        !isHexPdu(reply.information[1]))
        return failedResult(position, unreadable());
    r.outcome = PositionResult::Found;
    r.pdu = reply.information[1].toLatin1();
    return r;
}

PositionResult messageResult(const QString& received, int position)
{
    int outstanding = 0;
    return messageResult(received, position, outstanding);
}

QString entryCommand(const sim::EntryToWrite& entry)
{
    return entry.number.isEmpty() ? phoneBookDeleteCommand(entry.position)
                                  : phoneBookWriteCommand(entry.position, entry.number, entry.name);
}

Confirmation entryConfirmation(const sim::EntryToWrite& entry, bool first)
{
    if (entry.number.isEmpty())
        return {Confirmation::Deleted,
                QStringLiteral("vymazání pozice %1 telefonního seznamu SIM").arg(entry.position), first};
    return {Confirmation::Done,
            QStringLiteral("zápis čísla %1 na pozici %2 telefonního seznamu SIM").arg(entry.number).arg(entry.position),
            first};
}

namespace {

// The read of phone-book positions: the probe, the SIM phone book chosen, then each position's
// read command with `waitMs` for its answer. `progressAfter(i, count)`: the gauge once position i
// (not the last) is decoded.
Exchange phoneBookRead(PhoneChannel& channel, const QList<int>& positions, int waitMs,
                       int (*progressAfter)(int i, int count), const Progress& p)
{
    const auto state = std::make_shared<ReadState>();
    Exchange e = channel.probe(waitMs, p.notAnswered);
    e.then([p] { tell(p.answered); });
    selectPhoneBook(e, channel, NothingRead);
    const int count = int(positions.size());
    for (int i = 0; i < count; ++i) {
        const int position = positions[i];
        const QString command = phoneBookReadCommand(position);
        e.send(command);
        if (i == 0)
            e.then([p] {
                tell(p.working, sim::workingText());
                tell(p.progress, 0);
            });
        awaitRead(e, channel, command, waitMs, state);
        e.then([&channel, p, position, i, count, progressAfter, state] {
            const PositionResult r = at::phoneBookResult(channel.receivedSinceSend(), position, state->outstanding);
            noteResult(state, r, KeptValue);
            tell(p.positionDone, r);
            if (i + 1 < count) {
                tell(p.progress, progressAfter(i, count));
            } else {
                tell(p.finished, QString());
                reportFailures(channel, state);
            }
        });
    }
    return e;
}

// The start of a phone-book write: the probe, the page busy with its gauge at `gauge`, the SIM
// phone book chosen.
Exchange phoneBookWriteStart(PhoneChannel& channel, int waitMs, int gauge, const Progress& p)
{
    Exchange e = channel.probe(waitMs, p.notAnswered);
    e.then([p, gauge] {
        tell(p.answered);
        tell(p.working, sim::workingText());
        tell(p.progress, gauge);
    });
    selectPhoneBook(e, channel, NothingWritten);
    return e;
}

} // namespace

Exchange configurationRead(PhoneChannel& channel, const QList<int>& positions, const Progress& p)
{
    // The gauge is full once the options are read.
    return phoneBookRead(channel, positions, configuration::AnswerWaitMs, [](int, int) { return 100; }, p);
}

Exchange configurationWrite(PhoneChannel& channel, const QList<sim::EntryToWrite>& entries, const Progress& p)
{
    using namespace configuration;
    Exchange e = phoneBookWriteStart(channel, AnswerWaitMs, 25, p);
    // Each command is confirmed by the phone before the exchange goes on: the first at the end
    // of the pause it already has, the others within one answer wait after them.
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const sim::EntryToWrite& entry = entries[i];
        const Confirmation confirmation{Confirmation::Done, configurationWrittenAt(entry.position), false};
        e.send(phoneBookWriteCommand(entry.position, entry.number, entry.name));
        if (i == 0)
            e.pause(WritePauseMs)
                .then([p] { tell(p.progress, 50); })
                .pause(WritePauseMs)
                .then([p] { tell(p.progress, 75); })
                .pause(WritePauseMs);
        else
            e.await(AnswerWaitMs);
        e.check(channel.confirm(confirmation)).then([p, position = entry.position] {
            tell(p.positionDone, writtenResult(position));
            tell(p.progress, 100);
        });
    }
    e.then([p] { tell(p.finished, allWritesConfirmedText()); });
    return e;
}

Exchange numbersRead(PhoneChannel& channel, const QList<int>& positions, const Progress& p)
{
    return phoneBookRead(channel, positions, numbers::AnswerWaitMs,
                         [](int i, int count) { return 100 * (i + 1) / count; }, p);
}

Exchange numbersWrite(PhoneChannel& channel, const QList<sim::EntryToWrite>& entries, const Progress& p)
{
    using namespace numbers;
    Exchange e = phoneBookWriteStart(channel, AnswerWaitMs, 0, p);
    const int count = int(entries.size());
    for (int i = 0; i < count; ++i) {
        const sim::EntryToWrite& entry = entries[i];
        e.send(entryCommand(entry));
        if (i + 1 < count)
            e.then([p, i, count] { tell(p.progress, 100 * (i + 1) / count); });
        // The phone confirms each command by the end of its pause, or the write stops there.
        const PositionResult::Outcome done = entry.number.isEmpty() ? PositionResult::Deleted : PositionResult::Written;
        e.pause(WritePauseMs)
            .check(channel.confirm(entryConfirmation(entry, false)))
            .then([p, position = entry.position, done] { tell(p.positionDone, writtenResult(position, done)); });
    }
    e.then([p] { tell(p.finished, allWritesConfirmedText()); });
    return e;
}

Exchange messagesRead(PhoneChannel& channel, const QList<int>& positions, const Progress& p)
{
    using namespace messages;
    const auto state = std::make_shared<ReadState>();
    Exchange e;
    e.then([p] { tell(p.started); });
    e.append(channel.probe(ReadTimerMs, p.notAnswered));
    e.then([p] { tell(p.answered); });
    // The SIM storage and the PDU mode are selected in the pause the phone always had after the
    // probe: a phone that answers each at once takes the first read command when it always did.
    selectMessageStore(e, channel, false, NothingRead);
    const int count = int(positions.size());
    for (int i = 0; i < count; ++i) {
        const int position = positions[i];
        const bool last = i + 1 == count;
        const QString command = smsReadCommand(position);
        e.send(command);
        if (i == 0)
            e.then([p] {
                tell(p.working, sim::workingText());
                tell(p.progress, 0);
            });
        awaitRead(e, channel, command, ReadTimerMs, state);
        e.then([&channel, p, position, i, last, state] {
            const PositionResult r = at::messageResult(channel.receivedSinceSend(), position, state->outstanding);
            noteResult(state, r, KeptMessage);
            tell(p.positionDone, r);
            tell(p.progress, last ? 100 : std::min(12 * (i + 1), 100));
            if (last) {
                tell(p.finished, QStringLiteral(" "));
                reportFailures(channel, state);
            }
        });
        if (!last)
            e.pause(ReadPauseMs);
    }
    return e;
}

Exchange messagesStore(PhoneChannel& channel, const QList<sim::MessageToStore>& messages, const Progress& p)
{
    using namespace messages;
    // The gauge before each delete: 12 × n, except that position 5 keeps the 48 of position 4.
    const auto deleteProgress = [](int n) { return n <= 4 ? 12 * n : 12 * (n - 1); };
    const int count = int(messages.size());
    Exchange e;
    e.then([p] {
        tell(p.started);
        tell(p.working, QStringLiteral("Mažu pozice na SIM"));
    });
    // No probe: silence to the first command means no phone.
    selectMessageStore(e, channel, true, NothingStored);
    for (int n = 1; n <= count; ++n) {
        e.then([p, value = deleteProgress(n)] { tell(p.progress, value); });
        deleteMessage(e, channel, n, [p, n] { tell(p.positionDone, writtenResult(n, PositionResult::Deleted)); });
    }
    e.then([p] {
        tell(p.working, QStringLiteral("Ukládám na pozice na SIM"));
        tell(p.progress, 0);
    });
    e.pause(WritePauseMs);
    for (int i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        const QString what = QStringLiteral("uložení SMS pro pozici %1").arg(i + 1);
        e.then([p, value = std::min(12 + 12 * i, 100)] { tell(p.progress, value); })
            .send(smsAnnounceCommand(messages[i].tpduLength))
            .pause(WritePauseMs)
            .check(channel.confirm({Confirmation::Prompt, what}))
            .then([p, value = last ? 100 : std::min(18 + 12 * i, 100)] { tell(p.progress, value); })
            // After the deletes the phone must take the lowest free position: the order of the
            // messages is what the alarm relies on.
            .send(smsPduCommand(messages[i].pduText))
            .pause(WritePauseMs)
            .check(channel.confirm({Confirmation::Stored, what, false, i + 1}))
            .then([p, position = i + 1] { tell(p.positionDone, writtenResult(position)); });
    }
    e.then([p] { tell(p.finished, allWritesConfirmedText()); });
    return e;
}

Exchange messagesDelete(PhoneChannel& channel, const QList<int>& positions, const Progress& p)
{
    const int count = int(positions.size());
    Exchange e;
    e.then([p] {
        tell(p.started);
        tell(p.working, QStringLiteral("Mažu pozice na SIM"));
        tell(p.progress, 3);
    });
    selectMessageStore(e, channel, true, NothingDeleted);
    for (int i = 0; i < count; ++i) {
        const int position = positions[i];
        deleteMessage(e, channel, position, [p, position, value = i + 1 < count ? 12 * (i + 1) : 100] {
            tell(p.positionDone, writtenResult(position, PositionResult::Deleted));
            tell(p.progress, value);
        });
    }
    // The page empties its fields only once the phone has confirmed every delete.
    e.then([p] {
        tell(p.finished, QStringLiteral("Vymazáno, telefon potvrdil všechna vymazání"));
        tell(p.progress, 0);
    });
    return e;
}

} // namespace at

AtSim::AtSim(PhoneChannel& channel, QObject* parent) : SimAccess(parent), channel_(channel)
{
    connect(&channel_, &PhoneChannel::busyChanged, this, &AtSim::busyChanged);
    connect(&channel_, &PhoneChannel::failed, this, [this](const QString& message) {
        emit failed(writes_ ? message + u'\n' + doneSoFar() : message);
    });
    connect(&channel_, &PhoneChannel::silent, this, &AtSim::silent);
    connect(&channel_, &PhoneChannel::incomplete, this, &AtSim::incomplete);
}

QString AtSim::doneSoFar() const
{
    QStringList deleted;
    QStringList written;
    for (const PositionResult& r : done_)
        (r.outcome == PositionResult::Deleted ? deleted : written) << QString::number(r.position);
    if (deleted.isEmpty() && written.isEmpty())
        return QStringLiteral("Telefon do té doby nepotvrdil žádný zápis ani vymazání.");
    QStringList parts;
    if (!deleted.isEmpty())
        parts << QStringLiteral("vymazání pozic %1").arg(deleted.join(QStringLiteral(", ")));
    if (!written.isEmpty())
        parts << QStringLiteral("zápis pozic %1").arg(written.join(QStringLiteral(", ")));
    return QStringLiteral("Telefon do té doby potvrdil %1.").arg(parts.join(QStringLiteral(" a ")));
}

void AtSim::interrupt()
{
    if (!channel_.busy())
        return;
    channel_.fail(QStringLiteral("Výměna s telefonem byla přerušena."));
}

AtSim::Start AtSim::run(const std::function<Exchange(const Progress&)>& build, Progress progress, bool writes)
{
    if (!channel_.isOpen())
        return Start::NotConnected;
    if (channel_.busy())
        return Start::Busy;
    writes_ = writes;
    done_.clear();
    progress.positionDone = [this, shown = progress.positionDone](const PositionResult& r) {
        if (r.outcome == PositionResult::Written || r.outcome == PositionResult::Deleted)
            done_ << r;
        tell(shown, r);
    };
    Exchange exchange = build(progress);
    if (!channel_.begin(progress.stopped))
        return Start::Busy;
    // The channel ends the exchange after its last step.
    channel_.run(std::move(exchange));
    return Start::Started;
}

AtSim::Start AtSim::readEntries(sim::Set set, const QList<int>& positions, Progress progress)
{
    return run(
        [&](const Progress& p) {
            return set == sim::Set::Configuration ? at::configurationRead(channel_, positions, p)
                                                  : at::numbersRead(channel_, positions, p);
        },
        std::move(progress), false);
}

AtSim::Start AtSim::writeEntries(sim::Set set, const QList<sim::EntryToWrite>& entries, Progress progress)
{
    return run(
        [&](const Progress& p) {
            return set == sim::Set::Configuration ? at::configurationWrite(channel_, entries, p)
                                                  : at::numbersWrite(channel_, entries, p);
        },
        std::move(progress), true);
}

AtSim::Start AtSim::readMessages(const QList<int>& positions, Progress progress)
{
    return run([&](const Progress& p) { return at::messagesRead(channel_, positions, p); }, std::move(progress), false);
}

AtSim::Start AtSim::storeMessages(const QList<sim::MessageToStore>& messages, Progress progress)
{
    return run([&](const Progress& p) { return at::messagesStore(channel_, messages, p); }, std::move(progress), true);
}

AtSim::Start AtSim::deleteMessages(const QList<int>& positions, Progress progress)
{
    return run([&](const Progress& p) { return at::messagesDelete(channel_, positions, p); }, std::move(progress), true);
}

} // namespace kva
