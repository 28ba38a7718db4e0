#pragma once
#include <QList>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class TAfComPort;
namespace kva {
class AtSim;
class CardSim;
class FindPhoneDialog;
class PhoneChannel;
class QtDeviceEnumerator;
class SimLink;
}

// The main window: a tab for each page, the "Port" and "O aplikaci" menus, setting.ini, the
// serial port AfComPort1, the phone channel on it, and the SIM link the pages are handed
// (SimLink.h) with the way to the SIM the user chose in the "Port" menu: the phone on a COM port
// (AtSim.h) or a smart-card reader (CardSim.h, "Čtečka karet: <name>"). The reader chosen is
// remembered in $XDG_CONFIG_HOME/kva271-config/reader, apart from setting.ini.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // A page: the title of its tab and what builds it, handed the SIM link. Called by
    // FormCreate (the pages behind the first perhaps later, see HiddenPages); the main window
    // takes ownership.
    using PageBuilder = std::function<QWidget*(kva::SimLink&)>;
    struct Page {
        QString title;
        PageBuilder build;
    };
    using Pages = QList<Page>;
    // The program's three tabs, "Konfigurace", "Telefonní čísla" and "Úprava SMS", with these
    // builders (an empty one leaves its tab with a bare widget).
    static Pages programPages(PageBuilder configuration, PageBuilder phoneNumbers, PageBuilder sms);

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

    // Creates a tab for each page and docks the pages, reads setting.ini, opens the port it names.
    void FormCreate(const Pages& pages, HiddenPages hidden = HiddenPages::Now);
    // The page on tab `index`, built and docked now if it was not yet.
    QWidget* page(int index);
    // The tab that holds page `index`.
    QWidget* tab(int index) const;
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

    // "Port → Čtečka karet: <name>": closes the port, the pages reach the SIM through the card
    // in that reader from now on, and the choice is remembered. An empty name: none.
    void chooseReader(const QString& name);
    QString chosenReader() const { return reader_; }
    // The reader items of the "Port" menu made again from the PC/SC service's list (also each
    // time the menu opens). Without the service, one item explains what is missing.
    void refreshReaders();
    // Where the chosen reader is remembered.
    static QString readerChoicePath();
    // The port's data-received event (Count is not used): the channel's 250 ms receive wait.
    void AfComPort1DataRecived(QObject* Sender, int32_t Count);

    kva::PhoneChannel& channel() { return *channel_; }
    kva::SimLink& simLink() { return *simLink_; }
    kva::CardSim& cardSim() { return *cardSim_; }

    QString settingsPath() const { return settingsPath_; }

    QString SmsCentreNumber; // line 2 of setting.ini; the SMS page edits it
    QString StartupPortName; // line 1 of setting.ini as read

    QTabWidget* PageControl1 = nullptr;
    QMenu* Port1 = nullptr;
    std::array<QAction*, 6> comItems{}; // COM11 ... COM61
    QList<QAction*> readerItems; // "Čtečka karet: …", after COM6
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
    void rememberReader(const QString& name);
    // While an exchange runs: "Přerušit probíhající výměnu?"; yes ends it like a failure (true),
    // no leaves it running (false). True at once when none runs.
    bool endExchangeFirst();
    void letEscapeOut();
    void updatePortTips();

    QString settingsPath_;
    bool closed_ = false;
    kva::PhoneChannel* channel_ = nullptr;
    kva::AtSim* phoneSim_ = nullptr;
    kva::CardSim* cardSim_ = nullptr;
    QString reader_;
    QAction* readersEnd_ = nullptr; // the separator the reader items stand before
    kva::SimLink* simLink_ = nullptr;
    Pages builders_;
    QList<QWidget*> pages_; // by tab index; null until built
    std::unique_ptr<kva::QtDeviceEnumerator> devices_;
};
