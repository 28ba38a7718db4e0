#include "PageExchangeFixture.h"

#include "AfComPort.h"
#include "MessageBoxes.h"
#include "PhoneChannel.h"

#include <QAbstractButton>
#include <QAction>

#include <csignal>

PageExchange::PageExchange()
{
    kva::setMessageHook([this](const kva::MessageRecord& m) {
        shown << m.title + u'|' + m.text;
        return true;
    });
}

PageExchange::~PageExchange()
{
    if (phone.running())
        ::kill(phone.pid(), SIGCONT); // a test may have held the phone
    form.reset();
    kva::setMessageHook({});
    for (int n = 1; n <= 6; ++n)
        qunsetenv(QByteArray("KVA271_COM") + QByteArray::number(n));
}

void PageExchange::startPhone(const QStringList& args, const QByteArray& state)
{
    device = phone.start(args, state);
    qputenv("KVA271_COM1", device.toLocal8Bit());
}

void PageExchange::openForm(const TForm1::Pages& windows, bool choosePort)
{
    form = std::make_unique<TForm1>(dir.path("setting.ini"));
    form->FormCreate(windows);
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

qint64 PageExchange::clickAndWait(QAbstractButton* button, int ms)
{
    QElapsedTimer clock;
    clock.start();
    button->click();
    EXPECT_TRUE(waitIdle(ms));
    return clock.elapsed();
}
