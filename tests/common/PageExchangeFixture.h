#pragma once
// End to end: a tab page talks through the main window's port to the simulated phone on a
// pseudo-terminal (KVA271_COM1 points at it), in real time. One test per exchange runs so;
// the rest run on a manual clock (PageClockFixture.h). A page's fixture derives from
// PageExchange and builds its page in openWindow:
//
//   void openWindow(bool choosePort = true)
//   {
//       openForm(TForm1::programPages([this](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}), choosePort);
//   }
#include "PageFixture.h"
#include "PhoneSim.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

class PageExchange : public PageFixture {
protected:
    PageExchange() { clock_.start(); }
    ~PageExchange() override;

    void startPhone(const QStringList& args = {}, const QByteArray& state = {});
    // The main window with setting.ini in `dir` and the tab windows `windows` builds; with
    // choosePort, "COM1" is chosen from the "Port" menu and must open.
    void openForm(const TForm1::Pages& windows, bool choosePort);
    // Runs the event loop (without the sleeps of QTest::qWaitFor, so that a heartbeat measures
    // the program) until no exchange runs, or for `ms` at most.
    bool waitIdle(int ms = 4000) override;
    qint64 nowMs() const override { return clock_.elapsed(); }
    // Likewise until `condition` holds, or for `ms` at most.
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

    PhoneSim phone;
    QString device;

private:
    QElapsedTimer clock_;
};
