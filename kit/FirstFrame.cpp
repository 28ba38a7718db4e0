#include "FirstFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <utility>

namespace kva {
namespace {

class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& window, std::function<void()> task) : QObject(&window), task_(std::move(task))
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && task_) {
            watched->removeEventFilter(this);
            // The frame goes to the screen when this paint is done, before the next event.
            QTimer::singleShot(0, watched, std::exchange(task_, nullptr));
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> task_;
};

} // namespace

void afterFirstFrame(QWidget& window, std::function<void()> task)
{
    new FirstPaintWatch(window, std::move(task));
}

void exitAtFirstFrameIfAsked(QWidget& window)
{
    if (qEnvironmentVariableIsEmpty("KVA271_EXIT_AT_FIRST_FRAME"))
        return;
    afterFirstFrame(window, [&window] {
        // The size lets the benchmark start a bare window as large as this one.
        std::printf("first-frame %dx%d\n", window.width(), window.height());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

} // namespace kva
