#pragma once
#include "SharedState.h"

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class TAfComPort;
namespace kva {
class FindPhoneDialog;
class PhoneChannel;
class QtDeviceEnumerator;
}

// The main window: three tab pages hosting the tab windows, the "Port" and "O aplikaci" menus,
// the shared state and setting.ini, the serial port AfComPort1 and the phone command channel
// shared by the tab windows (PhoneChannel.h).
class TForm1 : public QMainWindow, public SharedState {
    Q_OBJECT
public:
    // Builders of the three tab windows, handed the phone channel; called by FormCreate (the
    // last two perhaps later, see HiddenPages) in this order: configuration, SMS, phone numbers.
    // The main window takes ownership.
    struct TabWindows {
        std::function<QWidget*(kva::PhoneChannel&)> configuration;
        std::function<QWidget*(kva::PhoneChannel&)> sms;
        std::function<QWidget*(kva::PhoneChannel&)> phoneNumbers;
    };

    // settingsPath: where setting.ini lives (empty = the usual place, see settingsFilePath).
    explicit TForm1(const QString& settingsPath = QString());
    ~TForm1() override;

    // When FormCreate builds the windows of the two tabs behind the first one.
    enum class HiddenPages {
        Now,
        // Right after the main window's first frame, or at once when their tab is chosen before
        // that: they cannot be seen earlier, and the window appears sooner.
        AfterFirstFrame,
    };

    // Creates and docks the tab windows, reads setting.ini, opens the port it names.
    void FormCreate(const TabWindows& windows, HiddenPages hidden = HiddenPages::Now);
    // The window on tab `index` (0 configuration, 1 phone numbers, 2 SMS), built and docked
    // now if it was not yet.
    QWidget* page(int index);
    void NactiIni();
    void UlozIni();
    // Stops any exchange, closes the port, then writes setting.ini (once).
    void FormClose();

    // "Port" menu: close, ComNumber := n, open; on success only the item of port n is checked.
    // A failed opening shows the port's message and a line on the cause; marks stay as they were.
    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    void COM51Click();
    void COM61Click();
    void Smazni_oznaceni();
    // "Port → Najít telefon…": opens the phone search (not modal to the event loop) and returns it.
    kva::FindPhoneDialog* NajitTelefonClick();
    // "Port → Uložit záznam komunikace…": the AT dialogue of this run into a UTF-8 text file.
    void UlozitZaznamClick();
    // Runs the handler of the item named exactly "COM1" … "COM6" by StartupPortName, if any.
    void openStartupPort();
    // The port's data-received event (Count is not used): the channel's 250 ms receive wait.
    void AfComPort1DataRecived(QObject* Sender, int32_t Count);

    kva::PhoneChannel& channel() { return *channel_; }

    QString settingsPath() const { return settingsPath_; }

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QMenu* Port1 = nullptr;
    std::array<QAction*, 6> comItems{}; // COM11 ... COM61
    QAction* NajitTelefon1 = nullptr;
    QAction* UlozitZaznam1 = nullptr;
    QAction*& COM11 = comItems[0];
    QAction*& COM21 = comItems[1];
    QAction*& COM31 = comItems[2];
    QAction*& COM41 = comItems[3];
    QAction*& COM51 = comItems[4];
    QAction*& COM61 = comItems[5];
    QMenu* Oaplikaci1 = nullptr;
    QAction* Napoveda1 = nullptr; // opens the help window
    QAction* Oaplikaci2 = nullptr; // opens the about window
    TAfComPort* AfComPort1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void dock(QWidget* window, QWidget* page);
    void buildHiddenPages();
    QWidget* buildPage(int index);
    void comClick(int n);
    void updatePortTips();

    QString settingsPath_;
    bool closed_ = false;
    kva::PhoneChannel* channel_ = nullptr;
    TabWindows builders_;
    std::array<QWidget*, 3> pages_{}; // by tab index; null until built
    std::unique_ptr<kva::QtDeviceEnumerator> devices_;
};
