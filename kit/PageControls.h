#pragma once
#include "SimAccess.h"

#include <QProgressBar>

#include <functional>

class QBoxLayout;
class QLabel;
class QWidget;

// The progress gauge of the pages: 0 to 100 with the percentage shown, blue background and
// yellow bar. Unlike QProgressBar, which ignores a value outside its range, it clamps.
class TGauge : public QProgressBar {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);
    // Hides QProgressBar::setValue; call it through a TGauge pointer.
    void setValue(int value);
};

namespace kva {

// The status label of the pages ("Moment prosím, pracuji" while the phone is busy): red, bold,
// sunken, starting empty.
QLabel* newStatusLabel(QWidget* parent);

// What the status label shows while the phone is busy.
inline QString workingText() { return sim::workingText(); }

// A page's exchange runs: the working text, the gauge at 0 and shown.
void showBusy(QLabel* status, QProgressBar* gauge);
// A page's exchange is over: the status shows `text`, the gauge reaches 100 and is hidden.
void showIdle(QLabel* status, QProgressBar* gauge, const QString& text);

// How a page's status row shows a request of the SIM: the working text with the gauge shown,
// the gauge's value, and at the end the final text with the gauge hidden, or `idleText` when
// the request stops early; then `backToUse` makes the page's action buttons usable again (also
// when the SIM did not answer). `outOfUse`, when given, disables them once the SIM answered.
// The page adds what else it shows (positions, fields).
sim::Progress statusRowProgress(QLabel* status, QProgressBar* gauge, const QString& idleText,
                                std::function<void()> backToUse, std::function<void()> outOfUse = {});

// Adds a page's status label (at least 22 px high) and its gauge, hidden, to `column`.
void addStatusRows(QBoxLayout* column, QWidget* parent, QLabel*& status, TGauge*& gauge);

} // namespace kva
