#include "PageClockFixture.h"

#include "MessageBoxes.h"
#include "PhoneChannel.h"

#include <QAbstractButton>
#include <QPointer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

PageOnClock::PageOnClock()
{
    kva::setMessageHook([this](const kva::MessageRecord& m) {
        shown << m.title + u'|' + m.text;
        return true;
    });
}

PageOnClock::~PageOnClock()
{
    form.reset();
    kva::setMessageHook({});
    for (int n = 1; n <= 6; ++n)
        qunsetenv(QByteArray("KVA271_COM") + QByteArray::number(n));
    for (int fd : ptys_)
        ::close(fd);
}

void PageOnClock::openForm(const TForm1::Pages& windows, bool portOpen)
{
    form = std::make_unique<TForm1>(dir.path("setting.ini"));
    form->FormCreate(windows);
    kva::PhoneChannel& channel = form->channel();
    channel.setScheduler(clock);
    phone.openLine([ch = QPointer<kva::PhoneChannel>(&channel)] {
        if (ch) // the window may be gone while the phone still talks
            ch->dataReceived();
    });
    channel.setPort({[this] { return phone.open; }, [this](const QByteArray& b) { phone.write(b); },
                     [this] { return phone.take(); }});
    phone.open = portOpen;
}

void PageOnClock::openFormWithItsPort(const TForm1::Pages& windows)
{
    form = std::make_unique<TForm1>(dir.path("setting.ini"));
    form->FormCreate(windows);
    form->channel().setScheduler(clock);
}

bool PageOnClock::waitIdle(int ms)
{
    return waitFor([this] { return !form->channel().busy(); }, ms);
}

qint64 PageOnClock::clickAndWait(QAbstractButton* button, int ms)
{
    const qint64 start = clock.nowMs();
    button->click();
    EXPECT_TRUE(waitIdle(ms));
    return clock.nowMs() - start;
}

QString PageOnClock::spareDevice(int n)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return {};
    }
    ptys_ << master;
    const QString device = QString::fromLocal8Bit(::ptsname(master));
    qputenv(QByteArray("KVA271_COM") + QByteArray::number(n), device.toLocal8Bit());
    return device;
}
