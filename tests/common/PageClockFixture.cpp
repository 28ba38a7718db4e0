#include "PageClockFixture.h"

#include "PhoneChannel.h"

#include <QPointer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

PageOnClock::~PageOnClock()
{
    form.reset(); // before the clock and the phone it uses go
    for (int fd : ptys_)
        ::close(fd);
}

void PageOnClock::openForm(const TForm1::Pages& windows, bool portOpen)
{
    buildForm(windows);
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
    buildForm(windows);
    form->channel().setScheduler(clock);
}

bool PageOnClock::waitIdle(int ms)
{
    return waitFor([this] { return !form->channel().busy(); }, ms);
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
