#pragma once
// End to end: the "Úprava SMS" page talks through the main window's port to the simulated phone
// on a pseudo-terminal (KVA271_COM1 points at it).
#include "AfComPort.h"
#include "MessageBoxes.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneSim.h"
#include "TempDir.h"
#include "Unit4.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <ostream>

namespace kva::sms {
inline void PrintTo(const Pair& p, std::ostream* os)
{
    *os << '{' << p.number.toStdString() << " | " << p.text.toStdString() << '}';
}
} // namespace kva::sms

// The PDUs of the initial fields with the centre "+420603052000", positions 1 to 9.
inline const QList<QByteArray>& initialPdus()
{
    static const QList<QByteArray> pdus{
        "079124603050020011000c9124603021436500000403cfa50c",
        "079124603050020011000c9124603021436500000403cfe50c",
        "079124603050020011000c9124603021436500000403cf250d",
        "079124603050020011000c9124603021436500000407d0379c1d1ea301",
        "079124603050020011000c9124603021436500000407cdf23c3d76a701",
        "079124603050020011000c9124603021436500000404da203406",
        "079124603050020011000c9124603021436500000404d62c3406",
        "079124603050020011000c9124603021436500000404da205406",
        "079124603050020011000c9124603021436500000404d62c5406",
    };
    return pdus;
}

// The largest gap between ticks of a 1 ms timer: how long the event loop was held up.
struct Heartbeat {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    Heartbeat()
    {
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        clock.start();
        timer.start(1);
    }
};

class SmsPhone : public ::testing::Test {
protected:
    SmsPhone()
    {
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            shown << m.title + u'|' + m.text;
            return true;
        });
    }
    ~SmsPhone() override
    {
        if (phone.running())
            ::kill(phone.pid(), SIGCONT); // a test may have held the phone
        form.reset();
        kva::setMessageHook({});
        qunsetenv("KVA271_COM1");
    }

    void startPhone(const QStringList& args = {}, const QByteArray& state = {})
    {
        device = phone.start(args, state);
        qputenv("KVA271_COM1", device.toLocal8Bit());
    }
    void openWindow(bool choosePort = true)
    {
        form = std::make_unique<TForm1>(dir.path("setting.ini"));
        form->FormCreate({{}, [this](TForm1& f) { return page = new TForm4(f); }, {}});
        if (choosePort) {
            form->COM11->trigger();
            ASSERT_TRUE(form->AfComPort1->IsOpen());
        }
    }
    // Runs the event loop (no sleeps, so that a heartbeat measures the program) until no
    // exchange runs, or for `ms` at most.
    bool waitIdle(int ms)
    {
        if (!form->channel().busy())
            return true;
        QEventLoop loop;
        QObject::connect(&form->channel(), &kva::PhoneChannel::busyChanged, &loop, [&](bool busy) {
            if (!busy)
                loop.quit();
        });
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        return !form->channel().busy();
    }
    template <class Condition>
    bool waitFor(Condition condition, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > ms)
                return false;
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return true;
    }
    // Clicks "Načti SMS z telefonu" and waits for the read to end; its duration.
    qint64 read()
    {
        QElapsedTimer clock;
        clock.start();
        page->Button1->click();
        EXPECT_TRUE(waitIdle(15000));
        return clock.elapsed();
    }
    void expectIdle()
    {
        EXPECT_FALSE(form->channel().busy());
        EXPECT_EQ(page->VrLabel1->text().trimmed(), QString());
        EXPECT_TRUE(page->Gauge1->isHidden());
        EXPECT_FALSE(page->Timer1->isActive());
        for (QPushButton* b : buttons())
            EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    }
    QList<QPushButton*> buttons() const
    {
        return {page->Button1, page->Button3, page->Button4, page->Button2, page->Button5};
    }
    // When the phone received each piece of input holding `prefix` (ms since it started).
    QList<qint64> receivedAt(const QByteArray& prefix) const
    {
        QList<qint64> at;
        for (const PhoneSim::Record& r : phone.transcript())
            if (r.dir == "rx" && r.bytes.contains(prefix))
                at << r.ms;
        return at;
    }
    static QByteArray readTranscript()
    {
        QByteArray out = "AT\r";
        for (int n = 1; n <= 9; ++n)
            out += "AT+CMGR=" + QByteArray::number(n) + '\r';
        return out;
    }

    TempDir dir;
    PhoneSim phone;
    QString device;
    std::unique_ptr<TForm1> form;
    TForm4* page = nullptr;
    QStringList shown;
};
