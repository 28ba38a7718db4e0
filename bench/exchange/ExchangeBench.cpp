// The pages' exchanges in real time against the phonesim process on a pseudo-terminal: how long
// each took against its planned pauses, how far apart the phone saw the commands, and the
// longest the event loop was held up meanwhile. Not a test; prints figures (the tests check the
// same exchanges on a manual clock). Usage: bench_exchange [rounds (default 1)]
#include "MessageBoxes.h"
#include "PhoneChannel.h"
#include "PhoneSim.h"
#include "Unit5.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// The largest gap between ticks of a 1 ms timer: how long the event loop was held up.
struct Heartbeat {
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
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
};

struct Case {
    const char* name;
    qint64 plannedMs; // from the click to the end of the last pause
    QByteArray state;
    TForm1::Pages windows;
    std::function<QPushButton*()> button;
};

void run(const Case& c, QWidget*& page)
{
    QTemporaryDir dir;
    PhoneSim phone;
    qputenv("KVA271_COM1", phone.start({}, c.state).toLocal8Bit());
    TForm1 form(dir.filePath("setting.ini"));
    form.FormCreate(c.windows);
    form.COM11->trigger();
    Heartbeat heartbeat;
    QElapsedTimer clock;
    QEventLoop loop;
    QObject::connect(&form.channel(), &kva::PhoneChannel::busyChanged, &loop, [&](bool busy) {
        if (!busy)
            loop.quit();
    });
    QTimer::singleShot(c.plannedMs * 3, &loop, &QEventLoop::quit);
    clock.start();
    c.button()->click();
    loop.exec();
    const qint64 took = clock.elapsed();
    phone.waitForReceived(phone.received().right(1), 500); // the transcript catches up
    qint64 widest = 0;
    qint64 last = -1;
    for (const PhoneSim::Record& r : phone.transcript())
        if (r.dir == "rx") {
            if (last >= 0)
                widest = std::max(widest, r.ms - last);
            last = r.ms;
        }
    std::printf("%-16s %6lld ms for %6lld ms planned (ratio %.3f), widest gap between commands at the phone "
                "%5lld ms, longest event-loop gap %4lld ms\n",
                c.name, static_cast<long long>(took), static_cast<long long>(c.plannedMs),
                double(took) / double(c.plannedMs), static_cast<long long>(widest),
                static_cast<long long>(heartbeat.longest));
    page = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kva::setMessageHook([](const kva::MessageRecord& m) {
        std::printf("  box: %s\n", qPrintable(m.title + u'|' + m.text));
        return true;
    });
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    QWidget* page = nullptr;
    const TForm1::Pages config = TForm1::programPages([&page](kva::SimLink& f) { return page = new TForm5(f); }, {}, {});
    const TForm1::Pages numbers = TForm1::programPages({}, [&page](kva::SimLink& f) { return page = new TForm6(f); }, {});
    const QByteArray sim = PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") +
                           PhoneSim::phoneBookLine(5, "+000000000011", "Setup") +
                           PhoneSim::phoneBookLine(6, "+000000092310", "Casy");
    const Case cases[] = {
        {"config write", 2750, sim, config, [&page] { return static_cast<TForm5*>(page)->BitBtn3; }},
        {"config read", 1750, sim, config, [&page] { return static_cast<TForm5*>(page)->Button1; }},
        {"numbers write", 8050, sim, numbers, [&page] { return static_cast<TForm6*>(page)->Button2; }},
        {"numbers read", 2050, sim, numbers, [&page] { return static_cast<TForm6*>(page)->Button1; }},
    };
    for (int i = 0; i < rounds; ++i)
        for (const Case& c : cases)
            run(c, page);
    kva::setMessageHook({});
    return 0;
}
