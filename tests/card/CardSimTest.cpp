#include "CardSim.h"

#include "CardModel.h"
#include "InProcessCard.h"
#include "QStringPrint.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace kva;
using sim::PositionResult;
using sim::Set;

namespace {

// A CardSim over the simulated SIM, and everything a request told its page.
struct Fixture {
    explicit Fixture(simcard::Options o = {})
        : model(std::make_shared<simcard::CardModel>(o)), sent(std::make_shared<QList<QByteArray>>())
    {
        sim.setCard(QStringLiteral("Simulovaná čtečka"), [m = model, s = sent] {
            return std::make_unique<test::InProcessCard>(m, s);
        });
        QObject::connect(&sim, &sim::SimAccess::failed, [this](const QString& m) { failed << m; });
        QObject::connect(&sim, &sim::SimAccess::silent, [this](const QString& m) { silent << m; });
        QObject::connect(&sim, &CardSim::apduSent, [this](const QByteArray& t) { log << "-> " + t; });
        QObject::connect(&sim, &CardSim::apduReceived, [this](const QByteArray& t) { log << "<- " + t; });
    }

    sim::Progress progress()
    {
        sim::Progress p;
        p.started = [this] { events << QStringLiteral("started"); };
        p.answered = [this] { events << QStringLiteral("answered"); };
        p.working = [this](const QString& t) { events << QStringLiteral("working ") + t; };
        p.progress = [this](int v) { gauge << v; };
        p.positionDone = [this](const PositionResult& r) { results << r; };
        p.finished = [this](const QString& t) {
            events << QStringLiteral("finished ") + t;
            done = true;
        };
        p.notAnswered = [this] {
            events << QStringLiteral("notAnswered");
            done = true;
        };
        p.stopped = [this] {
            events << QStringLiteral("stopped");
            done = true;
        };
        return p;
    }

    // Runs a request to its end; false when it did not start or did not end in time.
    bool run(const std::function<sim::SimAccess::Start(CardSim&, sim::Progress)>& request)
    {
        done = false;
        events.clear();
        results.clear();
        gauge.clear();
        if (request(sim, progress()) != sim::SimAccess::Start::Started)
            return false;
        return QTest::qWaitFor([this] { return done && !sim.busy(); }, 5000);
    }

    int commands(int ins) const
    {
        int n = 0;
        for (const QByteArray& a : *sent)
            n += a.size() > 1 && quint8(a[1]) == ins;
        return n;
    }

    std::shared_ptr<simcard::CardModel> model;
    std::shared_ptr<QList<QByteArray>> sent;
    CardSim sim;
    QStringList events;
    QList<PositionResult> results;
    QList<int> gauge;
    QStringList failed, silent, log;
    bool done = false;
};

QList<sim::EntryToWrite> configuration()
{
    return {{5, QStringLiteral("+000000000000"), QStringLiteral("Setup")},
            {6, QStringLiteral("+123456789012"), QStringLiteral("Casy")}};
}

} // namespace

TEST(CardSim, WritesAndReadsTheConfiguration)
{
    Fixture f;
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, configuration(), p); }));
    EXPECT_EQ(f.events, QStringList({"started", "answered", "working " + sim::workingText(),
                                     "finished Uloženo, SIM potvrdila všechny zápisy"}));
    ASSERT_EQ(f.results.size(), 2);
    EXPECT_EQ(f.results[0].position, 5);
    EXPECT_EQ(f.results[0].outcome, PositionResult::Written);
    EXPECT_EQ(f.model->record(simcard::CardModel::Adn, 5).left(6), QByteArray("Setup\xFF"));
    EXPECT_EQ(f.model->record(simcard::CardModel::Adn, 6).mid(14, 3), QByteArray::fromHex("079121"));
    EXPECT_EQ(f.gauge.first(), 0);
    EXPECT_EQ(f.gauge.last(), 100);
    EXPECT_EQ(f.sim.recordsWritten(), 2);

    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::Configuration, {5, 6}, p); }));
    ASSERT_EQ(f.results.size(), 2);
    EXPECT_TRUE(f.results[1].found());
    EXPECT_EQ(f.results[1].entry.name, QStringLiteral("Casy"));
    EXPECT_EQ(f.results[1].entry.number, QStringLiteral("+123456789012"));
    EXPECT_TRUE(f.failed.isEmpty());
    EXPECT_FALSE(f.sim.busy());
}

TEST(CardSim, SkipsRecordsThatHoldTheBytesAndReadsEveryWriteBack)
{
    Fixture f;
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, configuration(), p); }));
    const int updates = f.model->updates();
    f.sent->clear();
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, configuration(), p); }));
    EXPECT_EQ(f.model->updates(), updates);
    EXPECT_EQ(f.commands(0xDC), 0);
    EXPECT_EQ(f.sim.recordsSkipped(), 2);
    EXPECT_EQ(f.results.size(), 2);

    auto changed = configuration();
    changed[1].number = QStringLiteral("+999");
    f.sent->clear();
    ASSERT_TRUE(f.run([&](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, changed, p); }));
    EXPECT_EQ(f.commands(0xDC), 1);
    EXPECT_EQ(f.commands(0xB2), 3); // position 5 once; position 6 before and after its write
}

TEST(CardSim, NumbersWriteClearsThePositionsWithoutANumber)
{
    Fixture f;
    f.model->setRecord(simcard::CardModel::Adn, 2, QByteArray(14, 'x') + QByteArray::fromHex("0281F1FFFFFFFFFFFFFFFFFFFFFF"));
    const QList<sim::EntryToWrite> entries{{1, QStringLiteral("+420603123456"), QStringLiteral("Priklad")},
                                           {2, QString(), QStringLiteral("ignored")},
                                           {3, QString(), QString()}};
    ASSERT_TRUE(f.run([&](CardSim& s, sim::Progress p) { return s.writeEntries(Set::PhoneNumbers, entries, p); }));
    ASSERT_EQ(f.results.size(), 3);
    EXPECT_EQ(f.results[0].outcome, PositionResult::Written);
    EXPECT_EQ(f.results[1].outcome, PositionResult::Deleted);
    EXPECT_EQ(f.results[2].outcome, PositionResult::Deleted);
    EXPECT_EQ(f.model->record(simcard::CardModel::Adn, 2), QByteArray(28, char(0xFF)));
    EXPECT_EQ(f.sim.recordsWritten(), 2);
    EXPECT_EQ(f.sim.recordsSkipped(), 1);
    EXPECT_EQ(f.gauge, QList<int>({0, 33, 66, 100}));

    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::PhoneNumbers, {1, 2, 3, 4, 7}, p); }));
    ASSERT_EQ(f.results.size(), 5);
    EXPECT_EQ(f.results[0].entry.name, QStringLiteral("Priklad"));
    EXPECT_EQ(f.results[0].entry.number, QStringLiteral("+420603123456"));
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(f.results[i].outcome, PositionResult::Empty) << i;
}

TEST(CardSim, StoresReadsAndDeletesMessages)
{
    Fixture f;
    QList<sim::MessageToStore> messages;
    for (int i = 0; i < 9; ++i)
        messages.append({QByteArray("0011000C91246030214365000") + QByteArray::number(i) + "AA03C3E170", 16});
    ASSERT_TRUE(f.run([&](CardSim& s, sim::Progress p) { return s.storeMessages(messages, p); }));
    EXPECT_EQ(f.events.first(), QStringLiteral("started"));
    EXPECT_TRUE(f.events.contains(QStringLiteral("working Ukládám na pozice na SIM")));
    ASSERT_EQ(f.results.size(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(f.results[i].position, i + 1);
        const QByteArray record = f.model->record(simcard::CardModel::Sms, i + 1);
        EXPECT_EQ(record.left(19), QByteArray(1, 0x07) + QByteArray::fromHex(messages[i].pduText));
        EXPECT_EQ(record.mid(19), QByteArray(157, char(0xFF)));
    }
    EXPECT_EQ(f.model->record(simcard::CardModel::Sms, 10).left(1), QByteArray(1, '\0'));

    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readMessages({1, 2, 3, 4, 5, 6, 7, 8, 9}, p); }));
    ASSERT_EQ(f.results.size(), 9);
    EXPECT_EQ(f.results[3].pdu, messages[3].pduText.toUpper());
    EXPECT_EQ(f.events.last(), QStringLiteral("finished  "));

    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.deleteMessages({2, 3}, p); }));
    EXPECT_EQ(f.results.size(), 2);
    EXPECT_EQ(f.results[0].outcome, PositionResult::Deleted);
    EXPECT_EQ(f.model->record(simcard::CardModel::Sms, 2), QByteArray(1, '\0') + QByteArray(175, char(0xFF)));
    EXPECT_EQ(f.model->record(simcard::CardModel::Sms, 1).left(1), QByteArray(1, 0x07));
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readMessages({2}, p); }));
    EXPECT_EQ(f.results.value(0).outcome, PositionResult::Empty);
}

TEST(CardSim, AsksForThePinOnlyWhenTheSimNeedsIt)
{
    Fixture off;
    int asked = 0;
    off.sim.setPinPrompt([&](int) -> std::optional<QString> { ++asked; return QStringLiteral("1234"); });
    ASSERT_TRUE(off.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::Configuration, {5}, p); }));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(off.commands(0x20), 0);

    simcard::Options o;
    o.pinEnabled = true;
    o.pin = QStringLiteral("86420");
    Fixture on(o);
    QList<int> triesShown;
    on.sim.setPinPrompt([&](int tries) -> std::optional<QString> { triesShown << tries; return QStringLiteral("86420"); });
    ASSERT_TRUE(on.run([](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, configuration(), p); }));
    EXPECT_EQ(triesShown, QList<int>({3}));
    EXPECT_EQ(on.commands(0x20), 1);
    EXPECT_EQ(on.results.size(), 2);
    EXPECT_TRUE(on.failed.isEmpty());
    // The PIN is never in the log: VERIFY's data shows as ****.
    EXPECT_TRUE(on.log.contains(QStringLiteral("-> A0 20 00 01 08 ****")));
    for (const QString& line : on.log)
        EXPECT_FALSE(line.contains(QStringLiteral("38 36 34 32 30"))) << qPrintable(line);
}

TEST(CardSim, AWrongPinIsTriedOnceAndSaysTheTriesLeft)
{
    simcard::Options o;
    o.pinEnabled = true;
    Fixture f(o);
    int asked = 0;
    f.sim.setPinPrompt([&](int) -> std::optional<QString> { ++asked; return QStringLiteral("0000"); });
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::PhoneNumbers, {1, 2}, p); }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f.commands(0x20), 1);
    EXPECT_EQ(f.model->pinTries(), 2);
    ASSERT_EQ(f.failed.size(), 1);
    EXPECT_TRUE(f.failed[0].startsWith(QStringLiteral("Chybný PIN, zbývají 2 pokusy."))) << qPrintable(f.failed[0]);
    EXPECT_TRUE(f.events.contains(QStringLiteral("stopped")));
    EXPECT_TRUE(f.results.isEmpty());

    // With fewer than three tries the user is not asked and nothing is verified.
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::PhoneNumbers, {1}, p); }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f.commands(0x20), 1);
    EXPECT_EQ(f.model->pinTries(), 2);
    ASSERT_EQ(f.failed.size(), 2);
    EXPECT_TRUE(f.failed[1].contains(QStringLiteral("zbývají 2 pokusy ze 3"))) << qPrintable(f.failed[1]);
    EXPECT_EQ(f.commands(0x2C), 0); // never the PUK
}

TEST(CardSim, SendsNoPinTheUserDidNotGiveOrThatHasNoPinForm)
{
    simcard::Options o;
    o.pinEnabled = true;
    Fixture f(o);
    f.sim.setPinPrompt([](int) -> std::optional<QString> { return std::nullopt; });
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readMessages({1}, p); }));
    EXPECT_EQ(f.events.last(), QStringLiteral("stopped"));
    EXPECT_TRUE(f.failed.isEmpty());
    EXPECT_EQ(f.commands(0x20), 0);

    f.sim.setPinPrompt([](int) -> std::optional<QString> { return QStringLiteral("12ab"); });
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readMessages({1}, p); }));
    EXPECT_EQ(f.commands(0x20), 0);
    ASSERT_EQ(f.failed.size(), 1);
    EXPECT_TRUE(f.failed[0].startsWith(QStringLiteral("PIN musí mít 4 až 8 číslic")));

    // No prompt at all: the request ends as a cancel.
    f.sim.setPinPrompt(nullptr);
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readMessages({1}, p); }));
    EXPECT_EQ(f.commands(0x20), 0);
    EXPECT_EQ(f.model->pinTries(), 3);
}

TEST(CardSim, ABlockedPinIsLeftToThePhone)
{
    simcard::Options o;
    o.pinEnabled = true;
    o.pinTries = 0;
    Fixture f(o);
    int asked = 0;
    f.sim.setPinPrompt([&](int) -> std::optional<QString> { ++asked; return QStringLiteral("1234"); });
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::Configuration, {5}, p); }));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(f.commands(0x20), 0);
    ASSERT_EQ(f.failed.size(), 1);
    EXPECT_TRUE(f.failed[0].contains(QStringLiteral("PUK")));
}

TEST(CardSim, WorksWithAUsimOnlyCard)
{
    simcard::Options o;
    o.usimOnly = true;
    o.pinEnabled = true;
    Fixture f(o);
    f.sim.setPinPrompt([](int tries) -> std::optional<QString> { return tries == 3 ? std::optional<QString>(QStringLiteral("1234")) : std::nullopt; });
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, configuration(), p); }));
    EXPECT_TRUE(f.failed.isEmpty()) << qPrintable(f.failed.join(QLatin1Char('\n')));
    EXPECT_EQ(f.results.size(), 2);
    EXPECT_EQ(f.model->record(simcard::CardModel::Adn, 5).left(5), QByteArray("Setup"));
    for (const QByteArray& a : *f.sent) {
        if (quint8(a[0]) == 0xA0) {
            EXPECT_EQ(quint8(a[1]), 0xA4) << "only the first SELECT tries class A0";
        }
    }
}

TEST(CardSim, RefusedAndBrokenWritesStopTheRequestWithTheirReason)
{
    simcard::Options refusing;
    refusing.refuseUpdate = 0x6F00;
    Fixture f(refusing);
    f.model->setRecord(simcard::CardModel::Sms, 1, QByteArray(1, 0x07) + QByteArray(175, char(0xFF)));
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.deleteMessages({1, 2}, p); }));
    EXPECT_TRUE(f.results.isEmpty());
    EXPECT_EQ(f.events.last(), QStringLiteral("stopped"));
    ASSERT_EQ(f.failed.size(), 1);
    EXPECT_TRUE(f.failed[0].contains(QStringLiteral("technická chyba karty (6F 00)"))) << qPrintable(f.failed[0]);
    // A delete of a free record needs no write, so the refusing card does not show.
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.deleteMessages({2}, p); }));
    EXPECT_EQ(f.failed.size(), 1);
    EXPECT_EQ(f.results.value(0).outcome, PositionResult::Deleted);

    simcard::Options pulled;
    pulled.pullAfterWrites = 1;
    Fixture g(pulled);
    ASSERT_TRUE(g.run([](CardSim& s, sim::Progress p) { return s.writeEntries(Set::Configuration, configuration(), p); }));
    EXPECT_EQ(g.results.size(), 1);
    ASSERT_EQ(g.failed.size(), 1);
    EXPECT_TRUE(g.failed[0].contains(QStringLiteral("vytažena"))) << qPrintable(g.failed[0]);
}

TEST(CardSim, NoCardIsTheSilentCaseAndNoReaderRefuses)
{
    Fixture f;
    f.sim.setCard(QStringLiteral("Čtečka"), []() -> std::unique_ptr<card::CardChannel> {
        throw card::CardError(QStringLiteral("Ve čtečce není SIM karta."));
    });
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::Configuration, {5, 6}, p); }));
    EXPECT_EQ(f.events, QStringList({"started", "notAnswered"}));
    EXPECT_EQ(f.silent, QStringList({"Ve čtečce není SIM karta."}));
    // A request whose page has no use for notAnswered is stopped instead.
    ASSERT_TRUE(f.run([](CardSim& s, sim::Progress p) {
        p.notAnswered = nullptr;
        return s.storeMessages({}, p);
    }));
    EXPECT_EQ(f.events.last(), QStringLiteral("stopped"));
    EXPECT_EQ(f.silent.size(), 2);

    f.sim.setCard(QString(), nullptr);
    EXPECT_FALSE(f.sim.connected());
    EXPECT_EQ(f.sim.readMessages({1}, f.progress()), sim::SimAccess::Start::NotConnected);
}

TEST(CardSim, OneRequestAtATimeAndACancelReturnsAtOnce)
{
    simcard::Options slow;
    slow.slowMs = 20;
    Fixture f(slow);
    QSignalSpy busy(&f.sim, &sim::SimAccess::busyChanged);
    f.done = false;
    ASSERT_EQ(f.sim.readEntries(Set::PhoneNumbers, {1, 2, 3, 4, 7}, f.progress()), sim::SimAccess::Start::Started);
    EXPECT_TRUE(f.sim.busy());
    EXPECT_EQ(f.sim.readEntries(Set::PhoneNumbers, {1}, f.progress()), sim::SimAccess::Start::Busy);
    f.sim.cancel();
    EXPECT_FALSE(f.sim.busy());
    EXPECT_EQ(f.events.last(), QStringLiteral("stopped"));
    ASSERT_EQ(busy.size(), 2);
    // Nothing of the cancelled request reaches the page afterwards.
    QTest::qWait(300);
    EXPECT_TRUE(f.results.isEmpty());
    EXPECT_TRUE(f.run([](CardSim& s, sim::Progress p) { return s.readEntries(Set::PhoneNumbers, {1}, p); }));
    EXPECT_EQ(f.results.size(), 1);
}
