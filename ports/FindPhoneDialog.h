#pragma once
// "Najít telefon…": the serial devices of the system, each tried on request ("Vyzkoušet",
// "Vyzkoušet vše": one device after another, never two at once) and assigned to a COM name
// ("Použít jako COMn", kept in ports.ini and opened as the Port menu would).
// "Vyzkoušet vše" asks once before it starts and leaves alone the devices another program
// holds open (the row names that program); "Vyzkoušet" tries the chosen device whatever holds it.
#include "PhoneProbe.h"
#include "PortOwners.h"
#include "SerialDevices.h"

#include <QDialog>
#include <QHash>
#include <QList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace kva {

class FindPhoneDialog : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs of the main window.
    struct Host {
        const DeviceEnumerator* enumerator = nullptr; // outlives the dialog
        std::function<QString()> openDevice;  // the main window's open device ("" when closed)
        std::function<int()> checkedCom;      // the ticked COM number, 0 for none
        std::function<bool(int)> openCom;     // opens COMn as the menu does; false when refused
        std::function<QMap<int, ComTarget>()> comTargets; // empty: currentComTargets()
        // The question before "Vyzkoušet vše", over `dialog`; true to go on. Empty: no question.
        std::function<bool(QWidget* dialog, const QString& question)> ask;
        // Other processes holding a device open. Empty: portOwners() without this process.
        std::function<QList<PortOwner>(const QString& devicePath)> owners;
    };

    static QString tryAllQuestion()
    {
        return QStringLiteral("Vyzkoušet otevře postupně všechna sériová zařízení v seznamu. Pokračovat?");
    }

    enum Column { ColDevice, ColKernel, ColDescription, ColMaker, ColSerial, ColUsb, ColCom, ColState, ColumnCount };

    explicit FindPhoneDialog(Host host, QWidget* parent = nullptr);

    // Lists the devices again (results of earlier tries are kept).
    void refresh();
    // Tries the devices of these rows one after another. `skipHeld`: a device another program
    // holds open is not opened; its row says who holds it.
    void tryRows(const QList<int>& rows, bool skipHeld = false);
    bool probing() const { return probe_.running() || !queue_.empty(); }
    const QList<SerialDevice>& devices() const { return devices_; }

    QTreeWidget* list = nullptr;
    QLabel* emptyNote = nullptr;
    QCheckBox* showAll = nullptr;
    QPushButton* refreshButton = nullptr;
    QPushButton* tryButton = nullptr;
    QPushButton* tryAllButton = nullptr;
    QComboBox* comChoice = nullptr;
    QPushButton* useButton = nullptr;
    QLabel* status = nullptr;

signals:
    void probingFinished();

private:
    static constexpr int MinimumListWidth = 1000;
    void fillRow(int row);
    void fitColumns();
    void tryNext();
    void tryAll();
    QList<PortOwner> ownersOf(const SerialDevice& d) const;
    void probeDone(const ProbeResult& result);
    void useSelected();
    void updateButtons();
    int selectedRow() const;

    Host host_;
    QList<SerialDevice> devices_;
    QHash<QString, QString> results_; // device display name -> state text
    PhoneProbe probe_;
    QList<QString> queue_;            // display names waiting for their try
    QList<QString> skipHeld_;         // those of them to leave alone when another program holds them
    QString probing_;
};

} // namespace kva
