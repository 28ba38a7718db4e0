#pragma once
#include "SharedState.h"

#include <QMainWindow>
#include <array>
#include <functional>

class QAction;
class QMenu;
class QTabWidget;

// The main window: three tab pages hosting the tab windows, the "Port" and "O aplikaci" menus,
// the shared state and setting.ini.
class TForm1 : public QMainWindow, public SharedState {
    Q_OBJECT
public:
    // Builders of the three tab windows; called by FormCreate in this order: configuration,
    // SMS, phone numbers. The main window takes ownership.
    struct TabWindows {
        std::function<QWidget*(TForm1&)> configuration;
        std::function<QWidget*(TForm1&)> sms;
        std::function<QWidget*(TForm1&)> phoneNumbers;
    };

    // settingsPath: where setting.ini lives (empty = the usual place, see settingsFilePath).
    explicit TForm1(const QString& settingsPath = QString());
    ~TForm1() override;

    // Creates and docks the tab windows, reads setting.ini. The start-up port opening follows.
    void FormCreate(const TabWindows& windows);
    void NactiIni();
    void UlozIni();
    void FormClose();

    QString settingsPath() const { return settingsPath_; }

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QMenu* Port1 = nullptr;
    std::array<QAction*, 6> comItems{}; // COM11 ... COM61
    QAction*& COM11 = comItems[0];
    QAction*& COM21 = comItems[1];
    QAction*& COM31 = comItems[2];
    QAction*& COM41 = comItems[3];
    QAction*& COM51 = comItems[4];
    QAction*& COM61 = comItems[5];
    QMenu* Oaplikaci1 = nullptr;
    QAction* Napoveda1 = nullptr; // opens the help window
    QAction* Oaplikaci2 = nullptr; // opens the about window

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void dock(QWidget* window, QWidget* page);

    QString settingsPath_;
    bool closed_ = false;
};
