#include "FindPhoneDialog.h"

#include "ComMapping.h"
#include "KvaError.h"
#include "TextRoom.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kva {

FindPhoneDialog::FindPhoneDialog(Host host, QWidget* parent) : QDialog(parent), host_(std::move(host))
{
    setWindowTitle(QStringLiteral("Najít telefon"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Sériová zařízení tohoto počítače. Vyberte zařízení a stiskněte "
                                            "„Vyzkoušet“; zařízení, které odpovídá jako telefon, přiřaďte "
                                            "tlačítkem „Použít jako“ některému z portů COM1 … COM6."));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    list = new QTreeWidget;
    list->setColumnCount(ColumnCount);
    list->setHeaderLabels({QStringLiteral("Zařízení"), QStringLiteral("Jádro"), QStringLiteral("Popis"),
                           QStringLiteral("Výrobce"), QStringLiteral("Sériové číslo"), QStringLiteral("USB"),
                           QStringLiteral("Port"), QStringLiteral("Stav")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    list->setMinimumSize(MinimumListWidth, 200);
    list->setAccessibleName(QStringLiteral("Sériová zařízení"));
    layout->addWidget(list);

    emptyNote = new QLabel(QStringLiteral(
        "Nenalezeno žádné sériové zařízení. Připojte telefon datovým kabelem (USB) a zkontrolujte, že je "
        "váš uživatel ve skupině dialout (sudo usermod -aG dialout $USER, pak se znovu přihlaste)."));
    emptyNote->setWordWrap(true);
    layout->addWidget(emptyNote);

    showAll = new QCheckBox(QStringLiteral("Zobrazit i vestavěné porty (ttyS)"));
    layout->addWidget(showAll);

    auto* buttons = new QHBoxLayout;
    refreshButton = new QPushButton(QStringLiteral("Obnovit"));
    tryButton = new QPushButton(QStringLiteral("Vyzkoušet"));
    tryAllButton = new QPushButton(QStringLiteral("Vyzkoušet vše"));
    comChoice = new QComboBox;
    for (int n = 1; n <= ComNameCount; ++n)
        comChoice->addItem(QStringLiteral("COM%1").arg(n), n);
    comChoice->setAccessibleName(QStringLiteral("Port pro vybrané zařízení"));
    useButton = new QPushButton;
    auto* close = new QPushButton(QStringLiteral("Zavřít"));
    buttons->addWidget(refreshButton);
    buttons->addWidget(tryButton);
    buttons->addWidget(tryAllButton);
    buttons->addStretch();
    buttons->addWidget(useButton);
    buttons->addWidget(comChoice);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    status = new QLabel;
    status->setWordWrap(true);
    layout->addWidget(status);

    const int ticked = host_.checkedCom ? host_.checkedCom() : 0;
    comChoice->setCurrentIndex(ticked >= 1 && ticked <= ComNameCount ? ticked - 1 : 0);

    connect(refreshButton, &QPushButton::clicked, this, &FindPhoneDialog::refresh);
    connect(showAll, &QCheckBox::toggled, this, &FindPhoneDialog::refresh);
    connect(tryButton, &QPushButton::clicked, this, [this] {
        if (selectedRow() >= 0)
            tryRows({selectedRow()});
    });
    connect(tryAllButton, &QPushButton::clicked, this, &FindPhoneDialog::tryAll);
    connect(useButton, &QPushButton::clicked, this, &FindPhoneDialog::useSelected);
    connect(comChoice, &QComboBox::currentIndexChanged, this, &FindPhoneDialog::updateButtons);
    connect(list, &QTreeWidget::itemSelectionChanged, this, &FindPhoneDialog::updateButtons);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&probe_, &PhoneProbe::finished, this, &FindPhoneDialog::probeDone);
    connect(this, &QDialog::finished, this, [this] {
        queue_.clear();
        skipHeld_.clear();
        probe_.cancel();
    });

    refresh();
    makeRoomForAccents(this);
}

int FindPhoneDialog::selectedRow() const
{
    const QList<QTreeWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.first());
}

void FindPhoneDialog::refresh()
{
    const QString selected = selectedRow() >= 0 ? devices_[selectedRow()].displayName() : QString();
    QList<SerialDevice> enumerated;
    if (host_.enumerator)
        enumerated = host_.enumerator->devices();
    devices_ = deviceList(enumerated, host_.comTargets ? host_.comTargets() : currentComTargets(),
                          showAll->isChecked());
    list->clear();
    for (int i = 0; i < devices_.size(); ++i) {
        list->addTopLevelItem(new QTreeWidgetItem);
        fillRow(i);
        if (devices_[i].displayName() == selected)
            list->setCurrentItem(list->topLevelItem(i));
    }
    if (!devices_.isEmpty() && list->selectedItems().isEmpty())
        list->setCurrentItem(list->topLevelItem(0));
    for (int c = 0; c < ColState; ++c)
        list->resizeColumnToContents(c);
    fitColumns();
    emptyNote->setVisible(devices_.isEmpty());
    updateButtons();
}

void FindPhoneDialog::fillRow(int row)
{
    const SerialDevice& d = devices_[row];
    QTreeWidgetItem* item = list->topLevelItem(row);
    item->setText(ColDevice, d.displayName());
    item->setText(ColKernel, d.displayName() == d.kernelPath ? QString() : d.kernelPath);
    item->setText(ColDescription, d.description);
    item->setText(ColMaker, d.manufacturer);
    item->setText(ColSerial, d.serialNumber);
    item->setText(ColUsb, d.usbIds());
    QStringList names;
    for (int n : d.comNames)
        names.append(QStringLiteral("COM%1").arg(n));
    item->setText(ColCom, names.join(QStringLiteral(", ")));
    QStringList state;
    if (!d.present)
        state << QStringLiteral("není připojeno");
    else if (results_.contains(d.displayName()))
        state << results_.value(d.displayName());
    if (names.size() > 1)
        state << QStringLiteral("pozor: %1 ukazují na stejné zařízení").arg(names.join(QStringLiteral(" a ")));
    item->setText(ColState, state.join(QStringLiteral("; ")));
    item->setToolTip(ColState, item->text(ColState));
    list->resizeColumnToContents(ColState);
    fitColumns();
}

void FindPhoneDialog::fitColumns()
{
    // The list grows (and the dialog with it) until every column shows whole, up to the screen's
    // width; beyond that it scrolls.
    int needed = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < ColumnCount; ++c)
        needed += list->columnWidth(c);
    int most = needed;
    if (const QScreen* s = screen())
        most = s->availableGeometry().width() - 40;
    list->setMinimumWidth(std::max(MinimumListWidth, std::min(needed, most)));
}

void FindPhoneDialog::tryAll()
{
    if (devices_.isEmpty() || probing())
        return;
    if (host_.ask && !host_.ask(this, tryAllQuestion()))
        return;
    QList<int> rows;
    for (int i = 0; i < devices_.size(); ++i)
        rows.append(i);
    tryRows(rows, true);
}

QList<PortOwner> FindPhoneDialog::ownersOf(const SerialDevice& d) const
{
    if (host_.owners)
        return host_.owners(d.kernelPath);
    QList<PortOwner> others;
    for (const PortOwner& o : portOwners(d.kernelPath))
        if (o.pid != QCoreApplication::applicationPid())
            others.append(o);
    return others;
}

void FindPhoneDialog::tryRows(const QList<int>& rows, bool skipHeld)
{
    for (int row : rows) {
        if (row < 0 || row >= devices_.size())
            continue;
        const QString name = devices_[row].displayName();
        if (!queue_.contains(name) && name != probing_) {
            queue_.append(name);
            if (skipHeld)
                skipHeld_.append(name);
        }
    }
    if (!probe_.running())
        tryNext();
    updateButtons();
}

void FindPhoneDialog::tryNext()
{
    while (!queue_.isEmpty()) {
        const QString name = queue_.takeFirst();
        const bool skipHeld = skipHeld_.removeAll(name) > 0;
        int row = -1;
        for (int i = 0; i < devices_.size(); ++i)
            if (devices_[i].displayName() == name)
                row = i;
        if (row < 0)
            continue; // the list was refreshed without it
        const SerialDevice& d = devices_[row];
        if (!d.present) {
            fillRow(row);
            continue;
        }
        // The main window's own port is not touched; it was found by the menu already.
        const QString own = host_.openDevice ? host_.openDevice() : QString();
        if (!own.isEmpty() && (sameDevice(own, d.kernelPath) || sameDevice(own, d.displayName()))) {
            const int com = host_.checkedCom ? host_.checkedCom() : 0;
            results_.insert(name, com > 0 ? QStringLiteral("otevřeno v tomto programu jako COM%1").arg(com)
                                          : QStringLiteral("otevřeno v tomto programu"));
            fillRow(row);
            continue;
        }
        if (skipHeld) {
            const QList<PortOwner> owners = ownersOf(d);
            if (!owners.isEmpty()) {
                QStringList names;
                for (const PortOwner& o : owners)
                    names.append(QStringLiteral("%1 (PID %2)").arg(o.name).arg(o.pid));
                results_.insert(name, QStringLiteral("nezkoušeno: používá ho %1").arg(names.join(QStringLiteral(", "))));
                fillRow(row);
                continue;
            }
        }
        probing_ = name;
        results_.insert(name, QStringLiteral("zkouším…"));
        fillRow(row);
        status->setText(QStringLiteral("Zkouším %1…").arg(name));
        probe_.start(d.openPath());
        updateButtons();
        return;
    }
    probing_.clear();
    status->clear();
    updateButtons();
    emit probingFinished();
}

void FindPhoneDialog::probeDone(const ProbeResult& result)
{
    results_.insert(probing_, result.text);
    for (int i = 0; i < devices_.size(); ++i)
        if (devices_[i].displayName() == probing_)
            fillRow(i);
    probing_.clear();
    tryNext();
}

void FindPhoneDialog::useSelected()
{
    const int row = selectedRow();
    if (row < 0 || probing())
        return;
    const SerialDevice device = devices_[row];
    const int n = comChoice->currentData().toInt();
    try {
        assignCom(n, device.stableName());
    } catch (const std::exception& e) {
        status->setText(QStringLiteral("Přiřazení se nepodařilo uložit: %1").arg(QString::fromUtf8(e.what())));
        return;
    }
    const bool opened = host_.openCom && host_.openCom(n);
    status->setText(opened ? QStringLiteral("COM%1 = %2, port je otevřený.").arg(n).arg(device.stableName())
                           : QStringLiteral("COM%1 = %2 uloženo, port se ale nepodařilo otevřít.")
                                 .arg(n)
                                 .arg(device.stableName()));
    refresh();
}

void FindPhoneDialog::updateButtons()
{
    const bool busy = probing();
    const int row = selectedRow();
    refreshButton->setEnabled(!busy);
    showAll->setEnabled(!busy);
    tryButton->setEnabled(!busy && row >= 0);
    tryAllButton->setEnabled(!busy && !devices_.isEmpty());
    useButton->setText(QStringLiteral("Použít jako COM%1").arg(comChoice->currentData().toInt()));
    useButton->setEnabled(!busy && row >= 0);
}

} // namespace kva
