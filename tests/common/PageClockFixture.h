#pragma once
// A tab page in the main window whose channel talks to the simulated phone in process, on a
// manual clock: a page's exchange with all its pauses runs in milliseconds, and every time a
// test reads is test time. A page's fixture derives from PageOnClock and builds its page:
//
//   void openWindow(bool portOpen = true)
//   {
//       openForm(TForm1::programPages([this](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}), portOpen);
//   }
#include "InProcessPhone.h"
#include "PageFixture.h"
#include "Scheduler.h"

#include <QList>

class PageOnClock : public PageFixture {
protected:
    ~PageOnClock() override;

    // A new phone with phonesim's options and state file text.
    void startPhone(const QStringList& args = {}, const QByteArray& state = {}) { phone.start(args, state); }
    // The main window with setting.ini in `dir` and the tab windows `windows` builds; its
    // channel's port is the phone's, open or not.
    void openForm(const TForm1::Pages& windows, bool portOpen);
    // The main window with its own serial port (for the "Port" menu); no phone is bound.
    void openFormWithItsPort(const TForm1::Pages& windows);
    // Moves the clock on until no exchange runs, or by `ms` at most.
    bool waitIdle(int ms = 60000) override;
    qint64 nowMs() const override { return clock.nowMs(); }
    // Moves the clock on one millisecond at a time until `condition` holds, or by `ms` at most.
    template <class Condition>
    bool waitFor(Condition condition, int ms)
    {
        for (int i = 0; !condition(); ++i) {
            if (i >= ms)
                return false;
            clock.advance(1);
        }
        return true;
    }
    bool waitForReceived(const QByteArray& bytes, int ms)
    {
        return waitFor([&] { return phone.received().contains(bytes); }, ms);
    }
    bool waitForSent(const QByteArray& bytes, int ms)
    {
        return waitFor([&] { return phone.sent().contains(bytes); }, ms);
    }
    // A pseudo-terminal nobody answers on, named by KVA271_COM`n` (the port opens, no waiting).
    QString spareDevice(int n);

    kva::ManualClock clock;
    InProcessPhone phone{clock};

private:
    QList<int> ptys_;
};
