#include "alarm1.h"

#include "AppTexts.h"
#include "MessageBoxes.h"
#include "SettingsFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
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

    Port1 = menuBar()->addMenu(QStringLiteral("Port"));
    for (int n = 1; n <= 6; ++n) {
        QAction* item = Port1->addAction(QStringLiteral("COM%1").arg(n));
        item->setCheckable(true);
        item->setChecked(false);
        comItems[n - 1] = item;
    }
    Oaplikaci1 = menuBar()->addMenu(QStringLiteral("O aplikaci"));
    Napoveda1 = Oaplikaci1->addAction(QStringLiteral("Nápověda"));
    Oaplikaci2 = Oaplikaci1->addAction(QStringLiteral("O aplikaci"));

    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    PageControl1 = new QTabWidget(client);
    PageControl1->setGeometry(0, 8, 785, 529);
    PageControl1->tabBar()->setAttribute(Qt::WA_Hover); // tabs highlight under the mouse
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    TabSheet3 = new QWidget;
    PageControl1->addTab(TabSheet1, QStringLiteral("Konfigurace"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Telefonní čísla"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Úprava SMS"));
    PageControl1->setCurrentIndex(0);
    setCentralWidget(client);

    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

void TForm1::dock(QWidget* window, QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    window->setParent(page, Qt::Widget); // no border, no caption bar
    layout->addWidget(window);
    window->show();
}

void TForm1::FormCreate(const TabWindows& windows)
{
    QWidget* configuration = windows.configuration ? windows.configuration(*this) : new QWidget;
    QWidget* sms = windows.sms ? windows.sms(*this) : new QWidget;
    QWidget* phoneNumbers = windows.phoneNumbers ? windows.phoneNumbers(*this) : new QWidget;
    dock(configuration, TabSheet1);
    dock(phoneNumbers, TabSheet2);
    dock(sms, TabSheet3);
    NactiIni();
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
    for (int i = 5; i >= 0; --i) // COM6 first, so the last checked one in that order wins
        if (comItems[i]->isChecked())
            line1 = comItems[i]->text();
    kva::guarded(this, [&] { kva::writeSettings(settingsPath_, line1, SmsCentreNumber); });
}

void TForm1::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    UlozIni();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}
