#include "alarm1.h"

#include "TerminationSignals.h"

#include "AfComPort.h"
#include "AfSafeSync.h"
#include "AppTexts.h"
#include "AtSim.h"
#include "CardSim.h"
#include "ComMapping.h"
#include "DialogueLog.h"
#include "FileDialogs.h"
#include "FindPhoneDialog.h"
#include "FirstFrame.h"
#include "LineFile.h"
#include "MessageBoxes.h"
#include "Pcsc.h"
#include "PhoneChannel.h"
#include "PortOwners.h"
#include "SerialDevices.h"
#include "SettingsFile.h"
#include "SimLink.h"
#include "TerminationSignals.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QSaveFile>
#include <QThread>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 788;
constexpr int ClientHeight = 537;

} // namespace

TForm1::TForm1(const QString& settingsPath)
    : settingsPath_(settingsPath.isEmpty() ? kva::settingsFilePath(QCoreApplication::applicationDirPath()) : settingsPath)
{
    setWindowTitle(kva::mainWindowCaption());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    kva::installComMapping(); // COM names: $KVA271_COMn, then ports.ini, then the built-in table

    Port1 = menuBar()->addMenu(QStringLiteral("Port"));
    Port1->setToolTipsVisible(true);
    for (int n = 1; n <= 6; ++n) {
        QAction* item = Port1->addAction(QStringLiteral("COM%1").arg(n));
        item->setCheckable(true);
        item->setChecked(false);
        comItems[n - 1] = item;
        connect(item, &QAction::triggered, this, [this, item, n] {
            item->setChecked(!item->isChecked()); // the marks follow successful openings only
            comClick(n);
        });
    }
    readersEnd_ = Port1->addSeparator();
    NajitTelefon1 = Port1->addAction(QStringLiteral("Najít telefon…"));
    connect(NajitTelefon1, &QAction::triggered, this, [this] { NajitTelefonClick(); });
    UlozitZaznam1 = Port1->addAction(QStringLiteral("Uložit záznam komunikace…"));
    connect(UlozitZaznam1, &QAction::triggered, this, &TForm1::UlozitZaznamClick);
    updatePortTips();
    connect(Port1, &QMenu::aboutToShow, this, &TForm1::updatePortTips);
    connect(Port1, &QMenu::aboutToShow, this, &TForm1::refreshReaders);
    Oaplikaci1 = menuBar()->addMenu(QStringLiteral("O aplikaci"));
    Napoveda1 = Oaplikaci1->addAction(QStringLiteral("Nápověda"));
    Oaplikaci2 = Oaplikaci1->addAction(QStringLiteral("O aplikaci"));

    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    PageControl1 = new QTabWidget(client);
    PageControl1->setGeometry(0, 8, 785, 529);
    PageControl1->tabBar()->setAttribute(Qt::WA_Hover); // tabs highlight under the mouse
    setCentralWidget(client);

    AfComPort1 = new TAfComPort(this);
    AfComPort1->SetName(QStringLiteral("AfComPort1"));
    AfComPort1->SetBaudRate(br19200);
    AfComPort1->SetEventThreadPriority(tpTimeCritical);
    AfComPort1->SetInBufSize(8192);
    AfComPort1->OnDataRecived = [this](QObject* sender, int32_t count) { AfComPort1DataRecived(sender, count); };
    AfComPort1->AfterLoad();

    channel_ = new kva::PhoneChannel(this);
    phoneSim_ = new kva::AtSim(*channel_, this);
    simLink_ = new kva::SimLink(*phoneSim_, this, this);
    cardSim_ = new kva::CardSim(this);
    cardSim_->setPinPrompt([this](int triesLeft) -> std::optional<QString> {
        bool ok = false;
        const QString pin = QInputDialog::getText(
            this, QStringLiteral("PIN SIM karty"),
            QStringLiteral("SIM karta je chráněna PINem. Zadejte PIN (4 až 8 číslic).\n"
                           "Zbývající pokusy: %1 ze 3. Program PIN zkusí jen jednou a nikam ho neukládá.")
                .arg(triesLeft),
            QLineEdit::Password, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return pin;
    });
    connect(cardSim_, &kva::CardSim::apduSent, this, [](const QByteArray& text) { kva::phoneDialogue().sent(text); });
    connect(cardSim_, &kva::CardSim::apduReceived, this, [](const QByteArray& text) { kva::phoneDialogue().received(text); });
    channel_->setPort({
        [this] { return AfComPort1->IsOpen(); },
        [this](const QByteArray& bytes) { AfComPort1->WriteText(bytes); },
        [this] { return AfComPort1->ReadText(); },
    });
    // A fault of the port's worker threads ends the exchange in progress and is shown once.
    AfSetErrorDisplay([this](const QString& message) { channel_->fail(message); });

    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1()
{
    AfSetErrorDisplay(nullptr);
    channel_->shutdown();
    AfComPort1->OnDataRecived = nullptr;
    delete AfComPort1; // stops its threads before the channel and the window go
    AfComPort1 = nullptr;
}

void TForm1::dock(QWidget* window, QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    window->setParent(page, Qt::Widget); // no border, no caption bar
    layout->addWidget(window);
    window->show();
}

TForm1::Pages TForm1::programPages(PageBuilder configuration, PageBuilder phoneNumbers, PageBuilder sms)
{
    return {
        {QStringLiteral("Konfigurace"), std::move(configuration)},
        {QStringLiteral("Telefonní čísla"), std::move(phoneNumbers)},
        {QStringLiteral("Úprava SMS"), std::move(sms)},
    };
}

void TForm1::FormCreate(const Pages& pages, HiddenPages hidden)
{
    builders_ = pages;
    pages_.fill(nullptr, pages.size());
    for (const Page& p : pages)
        PageControl1->addTab(new QWidget, p.title);
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { page(index); });
    page(0);
    if (hidden == HiddenPages::Now)
        buildHiddenPages();
    else
        kva::afterFirstFrame(*this, [this] { buildHiddenPages(); });
    NactiIni();
    // A reader remembered from the last run is chosen instead of setting.ini's port.
    QFile remembered(readerChoicePath());
    const QString reader = remembered.open(QIODevice::ReadOnly) ? QString::fromUtf8(remembered.readAll()).trimmed() : QString();
    if (reader.isEmpty())
        openStartupPort();
    else
        chooseReader(reader);
}

QString TForm1::readerChoicePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(base).filePath(QStringLiteral("kva271-config/reader"));
}

void TForm1::rememberReader(const QString& name)
{
    const QString path = readerChoicePath();
    if (name.isEmpty() && !QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(name.toUtf8() + (name.isEmpty() ? "" : "\n"));
        f.commit();
    }
}

void TForm1::refreshReaders()
{
    for (QAction* item : readerItems) {
        Port1->removeAction(item);
        item->deleteLater();
    }
    readerItems.clear();
    QStringList readers;
    QString problem;
    try {
        readers = kva::card::pcscReaders();
    } catch (const std::exception& e) {
        problem = QString::fromUtf8(e.what());
    }
    // The chosen reader stays in the menu while it is not connected, so that it can be seen.
    if (!reader_.isEmpty() && !readers.contains(reader_))
        readers.append(reader_);
    for (const QString& name : readers) {
        QAction* item = new QAction(QStringLiteral("Čtečka karet: %1").arg(name), Port1);
        item->setCheckable(true);
        item->setChecked(name == reader_);
        connect(item, &QAction::triggered, this, [this, name] { chooseReader(name); });
        Port1->insertAction(readersEnd_, item);
        readerItems.append(item);
    }
    if (readers.isEmpty()) {
        if (problem.isEmpty())
            problem = QStringLiteral("Není připojena žádná čtečka karet. Připojte čtečku CCID se slotem na SIM "
                                     "(nebo s adaptérem na velikost SIM).");
        QAction* item = new QAction(QStringLiteral("Čtečka karet…"), Port1);
        item->setStatusTip(problem);
        connect(item, &QAction::triggered, this, [this, problem] { kva::showErrorBox(this, problem); });
        Port1->insertAction(readersEnd_, item);
        readerItems.append(item);
    }
}

void TForm1::chooseReader(const QString& name)
{
    channel_->abort();
    cardSim_->cancel();
    if (!name.isEmpty())
        AfComPort1->Close();
    Smazni_oznaceni();
    reader_ = name;
    if (name.isEmpty()) {
        cardSim_->setCard(QString(), nullptr);
        simLink_->setSim(*phoneSim_);
    } else {
        cardSim_->setCard(name, [name] { return std::make_unique<kva::card::PcscCard>(name); });
        simLink_->setSim(*cardSim_);
        kva::phoneDialogue().note(QStringLiteral("Čtečka karet: %1").arg(name));
    }
    for (QAction* item : readerItems)
        item->setChecked(item->text() == QStringLiteral("Čtečka karet: %1").arg(name));
    rememberReader(name);
}

void TForm1::buildHiddenPages()
{
    for (int i = 0; i < pages_.size(); ++i)
        page(i);
}

QWidget* TForm1::buildPage(int index)
{
    const std::function<QWidget*(kva::SimLink&)>& build = builders_[index].build;
    return pages_[index] = build ? build(*simLink_) : new QWidget;
}

QWidget* TForm1::page(int index)
{
    if (index < 0 || index >= pages_.size())
        return nullptr;
    if (!pages_[index])
        dock(buildPage(index), PageControl1->widget(index));
    return pages_[index];
}

QWidget* TForm1::tab(int index) const
{
    return PageControl1->widget(index);
}

void TForm1::NactiIni()
{
    StartupPortName.clear();
    SmsCentreNumber = kva::defaultSmsCentreNumber();
    kva::guarded(this, [&] {
        const kva::Settings s = kva::readSettings(settingsPath_);
        StartupPortName = s.startupPortName;
        SmsCentreNumber = s.smsCentreNumber;
    });
}

void TForm1::UlozIni()
{
    QString line1 = QStringLiteral(" ");
    // Written from the item's number, not read back from its text: a desktop that adds keyboard
    // accelerators shows "&COM3", and that would not open anything at the next start.
    for (int i = 5; i >= 0; --i) // COM6 first, so the last checked one in that order wins
        if (comItems[i]->isChecked())
            line1 = QStringLiteral("COM%1").arg(i + 1);
    kva::guarded(this, [&] { kva::writeSettings(settingsPath_, line1, SmsCentreNumber); });
}

void TForm1::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    const bool leavingMessage = channel_->insideMessage();
    channel_->shutdown();
    if (leavingMessage)
        letEscapeOut();
    AfComPort1->Close();
    UlozIni();
}

void TForm1::letEscapeOut()
{
    // Closing the port drops what has not left it: the ESC (one byte, half a millisecond at
    // 19200 Bd) is given time to go out first.
    QThread::msleep(50);
}

bool TForm1::endExchangeFirst()
{
    if (!channel_->busy())
        return true;
    if (!kva::askToGoOn(this, QStringLiteral("Přerušit probíhající výměnu?")))
        return false;
    const bool leavingMessage = channel_->insideMessage();
    phoneSim_->interrupt(); // ESC where needed, and a box naming what a write had done
    if (leavingMessage)
        letEscapeOut();
    return true;
}

void TForm1::updatePortTips()
{
    const QMap<int, kva::ComTarget> targets = kva::currentComTargets();
    for (int n = 1; n <= 6; ++n) {
        const QString path = targets.value(n).device;
        const QString presence = QFileInfo::exists(path) ? QStringLiteral("připojeno") : QStringLiteral("není připojeno");
        const QString tip = path.isEmpty() ? QStringLiteral("COM%1: žádné zařízení").arg(n)
                                           : QStringLiteral("COM%1 = %2 (%3)").arg(n).arg(path, presence);
        comItems[n - 1]->setStatusTip(tip);
        comItems[n - 1]->setToolTip(tip);
    }
}

void TForm1::Smazni_oznaceni()
{
    for (QAction* item : comItems)
        item->setChecked(false);
}

void TForm1::comClick(int n)
{
    // An exchange in progress ends here, once the user agrees: its remaining commands must not
    // go to the new port.
    if (!endExchangeFirst())
        return;
    try {
        AfComPort1->Close();
        AfComPort1->SetComNumber(uint16_t(n));
        AfComPort1->Open();
    } catch (const EAfComPortCoreError& e) {
        QString text = QString::fromUtf8(e.what());
        const QString path = e.DevicePath().isEmpty() ? AfComDevicePath(n) : e.DevicePath();
        const QList<kva::PortOwner> owners = e.Cause() == TAfOpenFailure::Busy ? kva::portOwners(path) : QList<kva::PortOwner>();
        const QString cause = kva::deviceProblemText(e.Cause(), path, owners, kva::deviceGroupOf(path), n);
        if (!cause.isEmpty())
            text += QStringLiteral("\nPříčina: ") + cause;
        kva::showErrorBox(this, text);
        return;
    } catch (const std::exception& e) {
        kva::showErrorBox(this, QString::fromUtf8(e.what()));
        return;
    }
    if (!reader_.isEmpty())
        chooseReader(QString()); // the phone is the way to the SIM again
    Smazni_oznaceni();
    comItems[n - 1]->setChecked(true);
}

kva::FindPhoneDialog* TForm1::NajitTelefonClick()
{
    if (!devices_)
        devices_ = std::make_unique<kva::QtDeviceEnumerator>();
    kva::FindPhoneDialog::Host host;
    host.enumerator = devices_.get();
    host.openDevice = [this] { return AfComPort1->IsOpen() ? AfComPort1->DevicePath() : QString(); };
    host.checkedCom = [this] {
        for (int n = 1; n <= 6; ++n)
            if (comItems[n - 1]->isChecked())
                return n;
        return 0;
    };
    host.openCom = [this](int n) {
        comClick(n);
        return comItems[n - 1]->isChecked();
    };
    host.ask = kva::askToGoOn;
    auto* dialog = new kva::FindPhoneDialog(std::move(host), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void TForm1::UlozitZaznamClick()
{
    const QString suggested = QDir::home().filePath(kva::DialogueLog::suggestedFileName(QDateTime::currentDateTime()));
    const QString path = kva::chooseFileToWrite(this, QStringLiteral("Textové soubory"), QStringLiteral("*.txt"),
                                                QStringLiteral("txt"), suggested);
    if (path.isEmpty())
        return;
    kva::guarded(this, [&] { kva::writeBytesFile(path, kva::phoneDialogue().text()); });
}

void TForm1::COM11Click() { comClick(1); }
void TForm1::COM21Click() { comClick(2); }
void TForm1::COM31Click() { comClick(3); }
void TForm1::COM41Click() { comClick(4); }
void TForm1::COM51Click() { comClick(5); }
void TForm1::COM61Click() { comClick(6); }

void TForm1::openStartupPort()
{
    // Whole text, case as shown: "com3", " COM3" or "COM7" open nothing.
    const std::array<void (TForm1::*)(), 6> handlers{&TForm1::COM61Click, &TForm1::COM51Click, &TForm1::COM41Click,
                                                     &TForm1::COM31Click, &TForm1::COM21Click, &TForm1::COM11Click};
    for (int i = 0; i < 6; ++i)
        if (StartupPortName == QStringLiteral("COM%1").arg(6 - i)) {
            (this->*handlers[size_t(i)])();
            return;
        }
}

void TForm1::AfComPort1DataRecived(QObject* /*Sender*/, int32_t /*Count*/)
{
    channel_->dataReceived();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!closed_ && !property(kva::terminatingProperty()).toBool() && !endExchangeFirst()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}
