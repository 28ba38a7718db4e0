// The pages' way to the SIM: refusals and failures in boxes over the page that asked, and the
// phone buttons of every page off while a request runs. A phone channel on a fake port and a
// manual clock serves the requests.
#include "AtSim.h"
#include "MessageBoxes.h"
#include "QStringPrint.h"
#include "Scheduler.h"
#include "SimLink.h"

#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class SimLinkTest : public ::testing::Test {
protected:
    SimLinkTest()
    {
        channel.setScheduler(clock);
        channel.setPort({[this] { return open; }, [this](const QByteArray& b) { written += b; },
                         [this] { return std::exchange(waiting, QByteArray()); }});
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            shown << m.title + u'|' + m.text;
            return true;
        });
    }
    ~SimLinkTest() override { kva::setMessageHook({}); }

    // A read of the configuration for `page`, counting how it ends.
    bool read(QWidget* page)
    {
        kva::sim::Progress p;
        p.stopped = [this] { ++stopped; };
        p.notAnswered = [this] { ++notAnswered; };
        return link.start(page, [&](kva::sim::SimAccess& s) {
            return s.readEntries(kva::sim::Set::Configuration, {5, 6}, p);
        });
    }

    bool open = true;
    QByteArray written;
    QByteArray waiting;
    kva::ManualClock clock;
    kva::PhoneChannel channel;
    kva::AtSim sim{channel};
    QWidget window;
    kva::SimLink link{sim, &window};
    QStringList shown;
    int stopped = 0;
    int notAnswered = 0;
};

} // namespace

TEST_F(SimLinkTest, NothingConnectedOrARequestRunningIsRefusedAndNothingIsSent)
{
    QWidget page;
    QPushButton own, other;
    link.guardButtons({&own, &other});
    open = false;
    EXPECT_FALSE(read(&page));
    EXPECT_EQ(shown, QStringList{"Error|POZOR - sériový port není otevřen !"});
    EXPECT_EQ(written, QByteArray());

    open = true;
    ASSERT_TRUE(read(&page));
    EXPECT_EQ(written, QByteArray("AT\r"));
    EXPECT_FALSE(own.isEnabled());
    EXPECT_FALSE(other.isEnabled());
    EXPECT_FALSE(read(&page));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1], QStringLiteral("Error|POZOR - s telefonem právě probíhá jiná operace, vyčkejte na její dokončení !"));
    EXPECT_EQ(written, QByteArray("AT\r"));

    // The phone stays silent: the warning, the page usable again, the buttons back.
    clock.runUntilIdle();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[2], QStringLiteral("Warning|POZOR - telefon nekomunikuje !"));
    EXPECT_EQ(notAnswered, 1);
    EXPECT_EQ(stopped, 0);
    EXPECT_TRUE(own.isEnabled());
    EXPECT_TRUE(other.isEnabled());
}

TEST_F(SimLinkTest, AFailureInTheMiddleStopsThePageAndIsShownOnce)
{
    QWidget page;
    ASSERT_TRUE(read(&page));
    waiting = "AT\r\r\nOK\r\n";
    channel.dataReceived();
    clock.advance(500);
    EXPECT_EQ(written, QByteArray("AT\rAT+CPBS=\"SM\"\r"));
    channel.fail(QStringLiteral("Read data error - AfComPort1 "));
    EXPECT_EQ(stopped, 1);
    EXPECT_FALSE(link.busy());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith(QStringLiteral("|Read data error - AfComPort1 ")));
    clock.runUntilIdle();
    EXPECT_EQ(written, QByteArray("AT\rAT+CPBS=\"SM\"\r")); // nothing more after the failure
}
