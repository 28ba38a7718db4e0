// "Najít telefon…" and "Uložit záznam komunikace…" offscreen: the dialog over a fake
// enumeration with simulated phones on pseudo-terminals, the demo's phone found through its
// COM name and assigned to COM2 (kept over a restart), the dialogue saved after a
// configuration read.
#include "AfComPort.h"
#include "AfSerialDevice.h"
#include "DialogueLog.h"
#include "FileDialogs.h"
#include "FindPhoneDialog.h"
#include "MessageBoxes.h"
#include "PageExchangeFixture.h"
#include "PhoneChannel.h"
#include "QStringPrint.h"
#include "Unit5.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

using namespace kva;

namespace {

class FakeEnumeration : public DeviceEnumerator {
public:
    QList<SerialDevice> devices() const override { return list; }
    QList<SerialDevice> list;
};

SerialDevice listed(const QString& path, const QString& description)
{
    SerialDevice d;
    d.kernelPath = path;
    d.description = description;
    return d;
}

class FindPhone : public PageExchange {
protected:
    FindPhone() { qputenv("XDG_CONFIG_HOME", dir.path("config").toLocal8Bit()); }
    ~FindPhone() override { setFileDialogHook({}); }

    void openWindow(bool choosePort)
    {
        openForm(TForm1::programPages([](kva::SimLink& f) { return new TForm5(f); }, {}, {}), choosePort);
    }
    QString state(const FindPhoneDialog& d, int row) const
    {
        return d.list->topLevelItem(row)->text(FindPhoneDialog::ColState);
    }
    int rowOf(const FindPhoneDialog& d, const QString& name) const
    {
        for (int i = 0; i < d.list->topLevelItemCount(); ++i)
            if (d.list->topLevelItem(i)->text(FindPhoneDialog::ColDevice) == name)
                return i;
        return -1;
    }
};

const QString Answering = QStringLiteral("odpovídá: Simfon SF-1 phonesim, SIM: 250 kontaktů, 30 SMS");

} // namespace

TEST_F(FindPhone, TriesEveryDeviceInTurnWithoutFreezing)
{
    PhoneSim silent;
    const QString quiet = silent.start({"--silent"});
    const QString answering = phone.start();
    FakeEnumeration fake;
    fake.list = {listed(quiet, "Silent"), listed(answering, "Phone"), listed("/dev/ttyS0", "")};
    bool opened = false;
    FindPhoneDialog::Host host{&fake, [] { return QString(); }, [] { return 0; },
                               [&](int) { return opened = true; }, [] { return QMap<int, ComTarget>(); }, {}, {}};
    FindPhoneDialog dialog(host);
    ASSERT_EQ(dialog.list->topLevelItemCount(), 2); // the built-in ttyS0 only with "show all"
    EXPECT_TRUE(dialog.emptyNote->isHidden());
    EXPECT_EQ(dialog.list->topLevelItem(0)->text(FindPhoneDialog::ColDescription), "Silent");
    dialog.showAll->setChecked(true);
    EXPECT_EQ(dialog.list->topLevelItemCount(), 3);
    dialog.showAll->setChecked(false);

    phoneDialogue().clear();
    dialog.tryAllButton->click();
    EXPECT_FALSE(dialog.tryButton->isEnabled());
    EXPECT_EQ(state(dialog, 0), QStringLiteral("zkouším…"));
    EXPECT_EQ(state(dialog, 1), QString());
    // A try never holds the event loop for its 1 s wait: a timer due within it runs during the
    // wait (timers run in the order they fall due, however busy the machine).
    QString duringTheWait;
    QTimer::singleShot(100, &dialog, [&] { duringTheWait = state(dialog, 0); });
    ASSERT_TRUE(waitFor([&] { return !dialog.probing(); }, 20000));
    EXPECT_EQ(duringTheWait, QStringLiteral("zkouším…"));
    EXPECT_EQ(state(dialog, 0), QStringLiteral("neodpovídá"));
    EXPECT_EQ(state(dialog, 1), Answering);
    // One after another: the second try starts when the first has ended.
    QStringList notes;
    for (const DialogueLog::Entry& e : phoneDialogue().entries())
        if (e.direction == DialogueLog::Direction::Note)
            notes << QString::fromUtf8(e.bytes);
    EXPECT_EQ(notes, (QStringList{"Najít telefon: zkouším " + quiet, "Najít telefon: " + quiet + ": neodpovídá",
                                  "Najít telefon: zkouším " + answering,
                                  "Najít telefon: " + answering + ": " + Answering}));
    EXPECT_EQ(silent.received(), "AT\r");
    EXPECT_EQ(phone.received(), "AT\rAT+CGMI\rAT+CGMM\rAT+CPBS?\rAT+CPBR=?\rAT+CPMS?\r");

    EXPECT_EQ(dialog.useButton->text(), QStringLiteral("Použít jako COM1")); // nothing ticked
    dialog.list->setCurrentItem(dialog.list->topLevelItem(1));
    dialog.comChoice->setCurrentIndex(3);
    EXPECT_EQ(dialog.useButton->text(), QStringLiteral("Použít jako COM4"));
    dialog.useButton->click();
    EXPECT_TRUE(opened);
    EXPECT_EQ(dir.read("config/kva271-config/ports.ini"),
              "# kva271-config: COM names of the Port menu and their devices (Port > Najít telefon…)\nCOM4=" +
                  answering.toUtf8() + '\n');

    fake.list.clear();
    dialog.refreshButton->click();
    EXPECT_EQ(dialog.list->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.emptyNote->isHidden());
    EXPECT_TRUE(dialog.emptyNote->text().startsWith(QStringLiteral("Nenalezeno žádné sériové zařízení.")));
    EXPECT_FALSE(dialog.tryAllButton->isEnabled());
}

TEST_F(FindPhone, DemoPhoneFoundAssignedToCom2AndOpenedAgainAfterRestart)
{
    const QString link = dir.path("COM1");
    phone.start({"--link", link});
    qputenv("KVA271_COM1", link.toLocal8Bit());
    openWindow(false);

    QList<QAction*> items = form->Port1->actions();
    ASSERT_EQ(items.size(), 9);
    EXPECT_TRUE(items[6]->isSeparator());
    EXPECT_EQ(items[7]->text(), QStringLiteral("Najít telefon…"));
    EXPECT_EQ(items[8]->text(), QStringLiteral("Uložit záznam komunikace…"));
    emit form->Port1->aboutToShow();
    EXPECT_EQ(form->COM11->statusTip(), QStringLiteral("COM1 = ") + link + QStringLiteral(" (připojeno)"));

    items[7]->trigger();
    auto* dialog = form->findChild<FindPhoneDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const int row = rowOf(*dialog, link);
    ASSERT_GE(row, 0);
    EXPECT_EQ(dialog->list->topLevelItem(row)->text(FindPhoneDialog::ColCom), "COM1");
    dialog->tryRows({row});
    ASSERT_TRUE(waitFor([&] { return !dialog->probing(); }, 8000));
    EXPECT_EQ(state(*dialog, row), Answering);

    dialog->list->setCurrentItem(dialog->list->topLevelItem(row));
    dialog->comChoice->setCurrentIndex(1);
    dialog->useButton->click();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(form->COM21->isChecked());
    EXPECT_TRUE(form->AfComPort1->IsOpen());
    EXPECT_EQ(form->AfComPort1->DevicePath(), link);
    EXPECT_EQ(dir.read("config/kva271-config/ports.ini"),
              "# kva271-config: COM names of the Port menu and their devices (Port > Najít telefon…)\nCOM2=" +
                  link.toUtf8() + '\n');
    EXPECT_EQ(dialog->status->text(), QStringLiteral("COM2 = %1, port je otevřený.").arg(link));
    // $KVA271_COM1 still names the same device: the row says so.
    EXPECT_EQ(dialog->list->topLevelItem(rowOf(*dialog, link))->text(FindPhoneDialog::ColCom), "COM1, COM2");
    EXPECT_EQ(state(*dialog, rowOf(*dialog, link)), Answering + "; pozor: COM1 a COM2 ukazují na stejné zařízení");
    // The main window's own port is left alone by a later try.
    dialog->tryRows({rowOf(*dialog, link)});
    EXPECT_TRUE(state(*dialog, rowOf(*dialog, link)).startsWith(QStringLiteral("otevřeno v tomto programu jako COM2;")));
    dialog->close();
    form->close();
    form.reset();
    EXPECT_EQ(dir.read("setting.ini"), QByteArray("COM2\r\n+420603052000\r\n"));

    // The next demo: a new pseudo-terminal behind the same link, COM2 opens at start-up.
    phone.start({"--link", link}, phone.state());
    qunsetenv("KVA271_COM1");
    openWindow(false);
    EXPECT_TRUE(form->COM21->isChecked());
    EXPECT_TRUE(form->AfComPort1->IsOpen());
    emit form->Port1->aboutToShow();
    EXPECT_EQ(form->COM21->statusTip(), QStringLiteral("COM2 = ") + link + QStringLiteral(" (připojeno)"));
    EXPECT_EQ(form->COM11->statusTip(), QStringLiteral("COM1 = /dev/ttyUSB0 (není připojeno)"));
}

TEST_F(FindPhone, PortMenuNamesTheProgramHoldingABusyDevice)
{
    startPhone();
    TAfSerialDevice holder; // this test process holds the phone's device
    TAfOpenFailure failure;
    int error = 0;
    ASSERT_TRUE(holder.Open(device, failure, error));
    openWindow(false);
    form->COM11->trigger();
    ASSERT_EQ(shown.size(), 1);
    QFile comm(QStringLiteral("/proc/self/comm"));
    ASSERT_TRUE(comm.open(QIODevice::ReadOnly));
    const QString me = QString::fromUtf8(comm.readAll()).trimmed();
    EXPECT_TRUE(shown[0].endsWith(QStringLiteral("\nPříčina: Zařízení %1 používá program %2 (PID %3). Ukončete ho a zkuste to znovu.")
                                      .arg(device, me)
                                      .arg(QCoreApplication::applicationPid())))
        << shown[0].toStdString();
    EXPECT_FALSE(form->COM11->isChecked());
}

TEST_F(FindPhone, TryAllAsksOnceAndLeavesDevicesOtherProgramsHold)
{
    PhoneSim held;
    const QString heldDevice = held.start();
    const QString answering = phone.start();
    // Another program holds the first device open, as ModemManager would.
    QProcess holder;
    holder.setStandardInputFile(heldDevice);
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted());
    FakeEnumeration fake;
    fake.list = {listed(heldDevice, "Modem"), listed(answering, "Phone")};
    QStringList questions;
    bool goOn = false;
    FindPhoneDialog::Host host{&fake, [] { return QString(); }, [] { return 0; }, [](int) { return false; },
                               [] { return QMap<int, ComTarget>(); }, {}, {}};
    host.ask = [&](QWidget*, const QString& question) {
        questions << question;
        return goOn;
    };
    FindPhoneDialog dialog(host);

    dialog.tryAllButton->click(); // answered "No": nothing is tried
    EXPECT_EQ(questions, QStringList{QStringLiteral("Vyzkoušet otevře postupně všechna sériová zařízení v seznamu. Pokračovat?")});
    EXPECT_FALSE(dialog.probing());
    EXPECT_EQ(state(dialog, 0), QString());
    EXPECT_EQ(state(dialog, 1), QString());

    goOn = true;
    dialog.tryAllButton->click();
    EXPECT_EQ(questions.size(), 2); // one question for the whole list, not one per device
    ASSERT_TRUE(waitFor([&] { return !dialog.probing(); }, 20000));
    EXPECT_EQ(state(dialog, 0), QStringLiteral("nezkoušeno: používá ho sleep (PID %1)").arg(holder.processId()));
    EXPECT_EQ(state(dialog, 1), Answering);
    EXPECT_EQ(held.received(), ""); // never opened
    EXPECT_EQ(phone.received(), "AT\rAT+CGMI\rAT+CGMM\rAT+CPBS?\rAT+CPBR=?\rAT+CPMS?\r");

    // "Vyzkoušet" on the held device asks nothing and tries it: the other program decides.
    dialog.list->setCurrentItem(dialog.list->topLevelItem(0));
    dialog.tryButton->click();
    ASSERT_TRUE(waitFor([&] { return !dialog.probing(); }, 20000));
    EXPECT_EQ(questions.size(), 2);
    EXPECT_NE(state(dialog, 0), QStringLiteral("nezkoušeno: používá ho sleep (PID %1)").arg(holder.processId()));
    holder.kill();
    holder.waitForFinished();
}

TEST_F(FindPhone, MainWindowAsksBeforeTryingEveryDevice)
{
    const QString link = dir.path("COM1");
    phone.start({"--link", link});
    qputenv("KVA271_COM1", link.toLocal8Bit()); // listed whatever else the machine has
    openWindow(false);
    QStringList asked;
    kva::setMessageHook([&](const kva::MessageRecord& m) {
        asked << m.text;
        return false; // "No": no device of this machine is opened
    });
    auto* dialog = form->NajitTelefonClick();
    ASSERT_NE(dialog, nullptr);
    ASSERT_GE(rowOf(*dialog, link), 0);
    dialog->tryAllButton->click();
    EXPECT_EQ(asked, QStringList{QStringLiteral("Vyzkoušet otevře postupně všechna sériová zařízení v seznamu. Pokračovat?")});
    EXPECT_FALSE(dialog->probing());
    EXPECT_EQ(phone.received(), "");
    dialog->close();
    qunsetenv("KVA271_COM1");
}
