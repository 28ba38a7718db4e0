// Records the golden transcripts: runs every scenario of Scenarios.h through the real
// window, port and simulated phone and copies phonesim's transcript to <folder>/<name>.txt.
// Not a test: run by hand (QT_QPA_PLATFORM=offscreen record_transcripts tests/data) when an
// exchange is meant to change on the wire.
#include "MessageBoxes.h"
#include "PhoneChannel.h"
#include "PhoneSim.h"
#include "Scenarios.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool record(const replay::Scenario& s, QWidget*& page, TForm1*& building, const QString& folder)
{
    PhoneSim phone;
    const QString device = phone.start(s.phoneArgs, s.state);
    qputenv("KVA271_COM1", device.toLocal8Bit());
    QTemporaryDir dir;
    auto form = std::make_unique<TForm1>(dir.filePath("setting.ini"));
    building = form.get();
    form->FormCreate(s.windows);
    form->COM11->trigger();
    runFor(300); // the phone notes the opening before the first command
    s.button()->click();
    runFor(100);
    for (int waited = 0; form->channel().busy() && waited < 40000; waited += 50)
        runFor(50);
    runFor(600); // late answers still reach the transcript
    const bool idle = !form->channel().busy();
    form.reset();
    page = nullptr;
    phone.stop();
    QFile::remove(folder + u'/' + s.name + ".txt");
    if (!QFile::copy(phone.transcriptPath(), folder + u'/' + s.name + ".txt"))
        return false;
    std::printf("%s: %s\n", s.name, idle ? "recorded" : "did not end");
    return idle;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: record_transcripts <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    kva::setMessageHook([](const kva::MessageRecord& m) {
        std::printf("  box: %s|%s\n", qPrintable(m.title), qPrintable(m.text));
        return true;
    });
    QWidget* page = nullptr;
    TForm1* building = nullptr;
    bool ok = true;
    for (const replay::Scenario& s : replay::scenarios(page, building))
        ok = record(s, page, building, folder) && ok;
    return ok ? 0 : 1;
}
