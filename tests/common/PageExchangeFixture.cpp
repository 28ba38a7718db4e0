#include "PageExchangeFixture.h"

#include "AfComPort.h"
#include "PhoneChannel.h"

#include <QAction>

#include <csignal>

PageExchange::~PageExchange()
{
    if (phone.running())
        ::kill(phone.pid(), SIGCONT); // a test may have held the phone
    form.reset(); // before the phone goes
}

void PageExchange::startPhone(const QStringList& args, const QByteArray& state)
{
    device = phone.start(args, state);
    qputenv("KVA271_COM1", device.toLocal8Bit());
}

void PageExchange::openForm(const TForm1::Pages& windows, bool choosePort)
{
    buildForm(windows);
    if (choosePort) {
        form->COM11->trigger();
        ASSERT_TRUE(form->AfComPort1->IsOpen());
    }
}

bool PageExchange::waitIdle(int ms)
{
    if (!form->channel().busy())
        return true;
    QEventLoop loop;
    QObject::connect(&form->channel(), &kva::PhoneChannel::busyChanged, &loop, [&](bool busy) {
        if (!busy)
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return !form->channel().busy();
}

