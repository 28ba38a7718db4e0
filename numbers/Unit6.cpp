#include "Unit6.h"

#include "TextRoom.h"

#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "PageControls.h"
#include "VrStrEdit.h"
#include "SimLink.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace kva::numbers;

namespace {

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TForm6::TForm6(kva::SimLink& link, QWidget* parent)
    : QWidget(parent), link_(link)
{
    setWindowTitle(QStringLiteral("Ukládání telefonních čísel"));

    auto* outer = new QVBoxLayout(this);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    outer->addWidget(frame);

    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(150, 12, 150, 12);
    column->setSpacing(6);
    Label1 = boldLabel(QStringLiteral("Zadejte telefonní čísla v mezinárodním formátu"), frame);
    Label2 = boldLabel(QStringLiteral("a jméno bez diakritiky"), frame);
    column->addWidget(Label1);
    column->addWidget(Label2);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(8);
    VrStrEdit** fields[2 * EntryCount] = {&VrStrEdit1, &VrStrEdit2, &VrStrEdit3, &VrStrEdit4, &VrStrEdit5,
                                          &VrStrEdit6, &VrStrEdit7, &VrStrEdit8, &VrStrEdit9, &VrStrEdit10};
    for (int i = 0; i < EntryCount; ++i) {
        rowLabels[i] = new QLabel(QStringLiteral("%1. pozice").arg(SimPositions[i]), frame);
        numberFields_[i] = *fields[2 * i] = new VrStrEdit(NumberTypingLimit, frame);
        nameFields_[i] = *fields[2 * i + 1] = new VrStrEdit(0, frame);
        numberFields_[i]->setObjectName(QStringLiteral("VrStrEdit%1").arg(2 * i + 1));
        nameFields_[i]->setObjectName(QStringLiteral("VrStrEdit%1").arg(2 * i + 2));
        rows->addWidget(rowLabels[i], i, 0);
        rows->addWidget(numberFields_[i], i, 1);
        rows->addWidget(nameFields_[i], i, 2);
    }
    addNameMarks(rows);
    rows->setColumnStretch(1, 1);
    rows->setColumnStretch(2, 1);
    column->addLayout(rows);

    kva::addStatusRows(column, frame, VrLabel1, Gauge1);

    BitBtn1 = new QPushButton(QStringLiteral("Čísla v aplikaci vymazat"), frame);
    BitBtn1->setToolTip(QStringLiteral("Maže pouze v programu, ne v telefonu"));
    Button1 = new QPushButton(QStringLiteral("Načíst telefonní čísla z telefonu"), frame);
    Button2 = new QPushButton(QStringLiteral("Uložit telefonní čísla do telefonu"), frame);
    Bevel1 = new QFrame(frame);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    BitBtn2 = new QPushButton(QStringLiteral("Načíst čísla ze souboru"), frame);
    BitBtn3 = new QPushButton(QStringLiteral("Uložit čísla do souboru"), frame);
    for (QWidget* w : {static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2),
                       static_cast<QWidget*>(Bevel1), static_cast<QWidget*>(BitBtn2), static_cast<QWidget*>(BitBtn3)})
        column->addWidget(w);
    column->addStretch(1);


    setEntries(initialEntries());

    connectTransfer();
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    kva::makeRoomForAccents(this);
}

Entries TForm6::entries() const
{
    Entries e;
    for (int i = 0; i < EntryCount; ++i)
        e[i] = {numberFields_[i]->text(), nameFields_[i]->text()};
    return e;
}

void TForm6::setEntries(const Entries& entries)
{
    for (int i = 0; i < EntryCount; ++i) {
        numberFields_[i]->setText(entries[i].number);
        nameFields_[i]->setText(entries[i].name);
    }
}

bool TForm6::Kontrola() const
{
    return kva::numbers::Kontrola(entries());
}

void TForm6::setButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {BitBtn1, BitBtn3, Button2, Button1, BitBtn2})
        b->setEnabled(enabled);
}

void TForm6::Zakaz_tlacitka()
{
    setButtonsEnabled(false);
}

void TForm6::Povol_tlacitka()
{
    setButtonsEnabled(true);
}

void TForm6::BitBtn1Click()
{
    setEntries(Entries{});
}

void TForm6::BitBtn3Click()
{
    kva::guarded(this, [this] {
        const QString path = kva::chooseFileToWrite(this, QStringLiteral("num"), QStringLiteral("*.num"), QStringLiteral("num"));
        if (path.isEmpty())
            return;
        saveNumFile(path, entries());
    });
}

void TForm6::BitBtn2Click()
{
    kva::guarded(this, [this] {
        const QString path = kva::chooseOpenFile(this, QStringLiteral("*.num"), QStringLiteral("*.num"), QStringLiteral("num"));
        if (path.isEmpty())
            return;
        setEntries(loadNumFile(path));
    });
}
