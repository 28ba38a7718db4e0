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
#include "PhoneSim.h"
#include "TempDir.h"
#include "alarm1.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

class QAbstractButton;

class PageExchange : public ::testing::Test {
protected:
    // Message boxes are recorded in `shown` as "title|text" and answered yes.
    PageExchange();
    ~PageExchange() override;

    void startPhone(const QStringList& args = {}, const QByteArray& state = {});
    // The main window with setting.ini in `dir` and the tab windows `windows` builds; with
    // choosePort, "COM1" is chosen from the "Port" menu and must open.
    void openForm(const TForm1::Pages& windows, bool choosePort);
    // Runs the event loop (without the sleeps of QTest::qWaitFor, so that a heartbeat measures
    // the program) until no exchange runs, or for `ms` at most.
    bool waitIdle(int ms = 4000);
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
    // Clicks `button` and waits up to `ms` for the exchange to end; how long that took.
    qint64 clickAndWait(QAbstractButton* button, int ms);

    TempDir dir;
    PhoneSim phone;
    QString device;
    std::unique_ptr<TForm1> form;
    QStringList shown;
};
