#include "PageControls.h"

#include <QBoxLayout>
#include <QLabel>
#include <algorithm>

TGauge::TGauge(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setFormat(QStringLiteral("%p%"));
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("QProgressBar { background: #0000c0; color: white; border: 1px solid gray; }"
                                 "QProgressBar::chunk { background: yellow; }"));
}

void TGauge::setValue(int value)
{
    QProgressBar::setValue(std::clamp(value, minimum(), maximum()));
}

namespace kva {

QLabel* newStatusLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken); // all four edges seen on the light page
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("QLabel { color: red; font-weight: bold; }"));
    return label;
}

void showBusy(QLabel* status, QProgressBar* gauge)
{
    status->setText(workingText());
    gauge->setValue(0);
    gauge->show();
}

void showIdle(QLabel* status, QProgressBar* gauge, const QString& text)
{
    status->setText(text);
    gauge->setValue(100);
    gauge->hide();
}

sim::Progress statusRowProgress(QLabel* status, QProgressBar* gauge, const QString& idleText,
                                std::function<void()> backToUse, std::function<void()> outOfUse)
{
    sim::Progress p;
    p.answered = std::move(outOfUse);
    p.notAnswered = backToUse;
    p.working = [status, gauge](const QString& text) {
        status->setText(text);
        gauge->show();
    };
    p.progress = [gauge](int value) { gauge->setValue(value); };
    p.finished = [status, gauge, backToUse](const QString& text) {
        showIdle(status, gauge, text);
        if (backToUse)
            backToUse();
    };
    p.stopped = [finished = p.finished, idleText] { finished(idleText); };
    return p;
}

void addStatusRows(QBoxLayout* column, QWidget* parent, QLabel*& status, TGauge*& gauge)
{
    status = newStatusLabel(parent);
    status->setMinimumHeight(22);
    column->addWidget(status);
    gauge = new TGauge(parent);
    gauge->hide();
    column->addWidget(gauge);
}

} // namespace kva
