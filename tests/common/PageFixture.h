#pragma once
// What every test of a page in the main window shares, whether the phone answers on a manual
// clock (PageClockFixture.h) or as a process on a pseudo-terminal (PageExchangeFixture.h): the
// main window with setting.ini in a temporary folder, the message boxes recorded in `shown` as
// "title|text" and answered yes, and a click that waits for its exchange to end.
#include "TempDir.h"
#include "alarm1.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

class QAbstractButton;

class PageFixture : public ::testing::Test {
protected:
    PageFixture();
    // Also forgets KVA271_COM1 … KVA271_COM6.
    ~PageFixture() override;

    // The main window with setting.ini in `dir`, its pages built by `pages`.
    void buildForm(const TForm1::Pages& pages);
    // Until no exchange runs, or `ms` at most (of the fixture's time).
    virtual bool waitIdle(int ms) = 0;
    // The fixture's time in milliseconds.
    virtual qint64 nowMs() const = 0;
    // Clicks `button` and waits up to `ms` for the exchange to end; how long that took.
    qint64 clickAndWait(QAbstractButton* button, int ms);

    TempDir dir;
    std::unique_ptr<TForm1> form;
    QStringList shown;
    bool answerYes = true; // how the questions among the boxes are answered
};
