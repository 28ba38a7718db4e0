#include "AtSim.h"

#include "AtCommands.h"
#include "PhoneReply.h"

#include <algorithm>

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

Confirmation messageDeleted(int position, bool first)
{
    return {Confirmation::Deleted, QStringLiteral("vymazání SMS na pozici %1").arg(position), first};
}

} // namespace

namespace at {

PositionResult phoneBookResult(const QString& received, int position)
{
    const PhoneBookEntry e = phoneBookEntry(received, position);
    PositionResult r;
    r.position = position;
    r.outcome = e.present ? PositionResult::Found : PositionResult::Empty;
    if (e.present)
        r.entry = {e.number, e.name};
    return r;
}

PositionResult messageResult(const QString& received, int position)
{
    const QString pdu = pduLine(received, position);
    PositionResult r;
    r.position = position;
    r.outcome = pdu.isEmpty() ? PositionResult::Empty : PositionResult::Found;
    r.pdu = pdu.toLatin1();
    return r;
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

// The read of phone-book positions: the probe, then each position's read command with `waitMs`
// for its answer. `progressAfter(i, count)`: the gauge once position i (not the last) is decoded.
Exchange phoneBookRead(PhoneChannel& channel, const QList<int>& positions, int waitMs,
                       int (*progressAfter)(int i, int count), const Progress& p)
{
    Exchange e = channel.probe(waitMs, p.notAnswered);
    e.then([p] { tell(p.answered); });
    const int count = int(positions.size());
    for (int i = 0; i < count; ++i) {
        const int position = positions[i];
        e.send(phoneBookReadCommand(position));
        if (i == 0)
            e.then([p] {
                tell(p.working, sim::workingText());
                tell(p.progress, 0);
            });
        e.await(waitMs).then([&channel, p, position, i, count, progressAfter] {
            tell(p.positionDone, at::phoneBookResult(channel.receivedSinceSend(), position));
            if (i + 1 < count)
                tell(p.progress, progressAfter(i, count));
            else
                tell(p.finished, QString());
        });
    }
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
    Exchange e = channel.probe(AnswerWaitMs, p.notAnswered);
    e.then([p] {
        tell(p.answered);
        tell(p.working, sim::workingText());
        tell(p.progress, 25);
    });
    // Each command is confirmed by the phone before the exchange goes on: the first at the end
    // of the pause it already has, the others within one answer wait after them.
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const sim::EntryToWrite& entry = entries[i];
        const Confirmation confirmation{Confirmation::Done, configurationWrittenAt(entry.position), i == 0};
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
    Exchange e = channel.probe(AnswerWaitMs, p.notAnswered);
    e.then([p] {
        tell(p.answered);
        tell(p.working, sim::workingText());
        tell(p.progress, 0);
    });
    const int count = int(entries.size());
    for (int i = 0; i < count; ++i) {
        const sim::EntryToWrite& entry = entries[i];
        e.send(entryCommand(entry));
        if (i + 1 < count)
            e.then([p, i, count] { tell(p.progress, 100 * (i + 1) / count); });
        // The phone confirms each command by the end of its pause, or the write stops there.
        const PositionResult::Outcome done = entry.number.isEmpty() ? PositionResult::Deleted : PositionResult::Written;
        e.pause(WritePauseMs)
            .check(channel.confirm(entryConfirmation(entry, i == 0)))
            .then([p, position = entry.position, done] { tell(p.positionDone, writtenResult(position, done)); });
    }
    e.then([p] { tell(p.finished, allWritesConfirmedText()); });
    return e;
}

Exchange messagesRead(PhoneChannel& channel, const QList<int>& positions, const Progress& p)
{
    using namespace messages;
    Exchange e;
    e.then([p] { tell(p.started); });
    e.append(channel.probe(ReadTimerMs, p.notAnswered));
    e.then([p] { tell(p.answered); }).pause(ProbePauseMs);
    const int count = int(positions.size());
    for (int i = 0; i < count; ++i) {
        const int position = positions[i];
        const bool last = i + 1 == count;
        e.send(smsReadCommand(position));
        if (i == 0)
            e.then([p] {
                tell(p.working, sim::workingText());
                tell(p.progress, 0);
            });
        e.await(ReadTimerMs).then([&channel, p, position, i, last] {
            tell(p.positionDone, at::messageResult(channel.receivedSinceSend(), position));
            tell(p.progress, last ? 100 : std::min(12 * (i + 1), 100));
            if (last)
                tell(p.finished, QStringLiteral(" "));
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
    for (int n = 1; n <= count; ++n)
        e.then([p, value = deleteProgress(n)] { tell(p.progress, value); })
            .send(smsDeleteCommand(n))
            .pause(WritePauseMs)
            .check(channel.confirm(messageDeleted(n, n == 1)));
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
    using namespace messages;
    const int count = int(positions.size());
    Exchange e;
    e.then([p] {
        tell(p.started);
        tell(p.working, QStringLiteral("Mažu pozice na SIM"));
        tell(p.progress, 3);
    });
    for (int i = 0; i < count; ++i) {
        const int position = positions[i];
        e.send(smsDeleteCommand(position))
            .pause(WritePauseMs)
            .check(channel.confirm(messageDeleted(position, i == 0)))
            .then([p, position, value = i + 1 < count ? 12 * (i + 1) : 100] {
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
    connect(&channel_, &PhoneChannel::failed, this, &AtSim::failed);
    connect(&channel_, &PhoneChannel::silent, this, &AtSim::silent);
}

AtSim::Start AtSim::run(Exchange exchange, const Progress& progress)
{
    if (!channel_.isOpen())
        return Start::NotConnected;
    if (!channel_.begin(progress.stopped))
        return Start::Busy;
    // The channel ends the exchange after its last step.
    channel_.run(std::move(exchange));
    return Start::Started;
}

AtSim::Start AtSim::readEntries(sim::Set set, const QList<int>& positions, Progress progress)
{
    return run(set == sim::Set::Configuration ? at::configurationRead(channel_, positions, progress)
                                              : at::numbersRead(channel_, positions, progress),
               progress);
}

AtSim::Start AtSim::writeEntries(sim::Set set, const QList<sim::EntryToWrite>& entries, Progress progress)
{
    return run(set == sim::Set::Configuration ? at::configurationWrite(channel_, entries, progress)
                                              : at::numbersWrite(channel_, entries, progress),
               progress);
}

AtSim::Start AtSim::readMessages(const QList<int>& positions, Progress progress)
{
    return run(at::messagesRead(channel_, positions, progress), progress);
}

AtSim::Start AtSim::storeMessages(const QList<sim::MessageToStore>& messages, Progress progress)
{
    return run(at::messagesStore(channel_, messages, progress), progress);
}

AtSim::Start AtSim::deleteMessages(const QList<int>& positions, Progress progress)
{
    return run(at::messagesDelete(channel_, positions, progress), progress);
}

} // namespace kva
