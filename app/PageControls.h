#pragma once
#include <QProgressBar>

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

} // namespace kva
