#include "Unit4.h"

#include "TextRoom.h"

#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "PageControls.h"
#include "SmsEncoding.h"
#include "VrStrEdit.h"
#include "ControlCharacters.h"
#include "SimLink.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace kva::sms;

namespace {

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

TForm4::TForm4(kva::SimLink& link, QString& smsCentreNumber, QWidget* parent)
    : QWidget(parent), link_(link), smsCentreNumber_(smsCentreNumber)
{
    setWindowTitle(QStringLiteral("Úprava SMS"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 6);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(4);
    Label1 = boldLabel(QStringLiteral("Telefonní číslo"), this);
    Label2 = boldLabel(QStringLiteral("Text SMS"), this);
    rows->addWidget(Label1, 0, 1);
    rows->addWidget(Label2, 0, 2);
    VrStrEdit** fields[2 * PairCount] = {&VrStrEdit1,  &VrStrEdit2,  &VrStrEdit3,  &VrStrEdit4,  &VrStrEdit5,  &VrStrEdit6,
                                         &VrStrEdit7,  &VrStrEdit8,  &VrStrEdit9,  &VrStrEdit10, &VrStrEdit11, &VrStrEdit12,
                                         &VrStrEdit13, &VrStrEdit14, &VrStrEdit15, &VrStrEdit16, &VrStrEdit17, &VrStrEdit18};
    for (int i = 0; i < PairCount; ++i) {
        rowLabels[i] = new QLabel(rowLabel(i), this);
        numberFields_[i] = *fields[2 * i] = new VrStrEdit(NumberTypingLimit, this);
        textFields_[i] = *fields[2 * i + 1] = new VrStrEdit(TextTypingLimit, this);
        numberFields_[i]->setObjectName(QStringLiteral("VrStrEdit%1").arg(2 * i + 1));
        textFields_[i]->setObjectName(QStringLiteral("VrStrEdit%1").arg(2 * i + 2));
        numberFields_[i]->setFixedWidth(120);
        rows->addWidget(rowLabels[i], 2 * i + 1, 0);
        rows->addWidget(numberFields_[i], 2 * i + 1, 1);
        rows->addWidget(textFields_[i], 2 * i + 1, 2);
    }
    addTextMarks(rows);
    rows->setColumnStretch(2, 1);
    top->addLayout(rows, 3);

    auto* side = new QVBoxLayout;
    side->setSpacing(5);
    Label3 = boldLabel(QStringLiteral("Číslo Vašeho SMS centra"), this);
    VrStrEdit19 = new VrStrEdit(NumberTypingLimit, this);
    VrStrEdit19->setObjectName(QStringLiteral("VrStrEdit19"));
    VrStrEdit19->setToolTip(QStringLiteral("Zadejte číslo SMS centra Vašeho operátora tak, jak máte nastaveno v telefonu. "
                                           "Pro ČR pro T-Mobile platí implicitně nastavené číslo"));
    side->addWidget(Label3);
    side->addWidget(VrStrEdit19);
    side->addSpacing(8);
    Button1 = new QPushButton(QStringLiteral("Načti SMS z telefonu"), this);
    Button3 = new QPushButton(QStringLiteral("Ulož SMS do telefonu"), this);
    Button4 = new QPushButton(QStringLiteral("Vymazat všechny SMS v telefonu"), this);
    Button2 = new QPushButton(QStringLiteral("Uložit SMS do souboru"), this);
    Button5 = new QPushButton(QStringLiteral("Načíst SMS ze souboru"), this);
    side->addWidget(Button1);
    side->addWidget(Button3);
    side->addWidget(Button4);
    side->addSpacing(8);
    side->addWidget(Button2);
    side->addWidget(Button5);
    side->addSpacing(8);
    kva::addStatusRows(side, this, VrLabel1, Gauge1);
    side->addStretch(1);
    top->addLayout(side, 1);

    static const char* const noteTexts[4] = {
        "POZOR - telefonní číslo musí být v mezinárodním formátu.",
        "Telefonní číslo změňte na skutečné telefonní číslo na které má SMS odejít.",
        "I pokud nevyužijete vstupy OK2 až OK4 (pouze OK1), musí být SMS pro tyto vstupy stejně uloženy !!",
        "Jestliže necháte některou pozici volnou, SMS nebudou uloženy  v pořadí, odpovídajícím  popsaným vstupům !!",
    };
    outer->addSpacing(6);
    for (int i = 0; i < 4; ++i) {
        notes[i] = new QLabel(QString::fromUtf8(noteTexts[i]), this);
        outer->addWidget(notes[i]);
    }
    outer->addStretch(1);


    setSmsSet(initialSet());
    VrStrEdit19->setText(defaultCentreNumber());

    // Connected after the initial texts so that building the window leaves SmsCentreNumber alone.
    // Button1, Button3 and Button4 (phone transfer) are connected by the transfer code.
    connect(VrStrEdit19, &QLineEdit::textChanged, this, [this] { VrStrEdit19Change(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connectTransfer();
    kva::makeRoomForAccents(this);
}

SmsSet TForm4::smsSet() const
{
    SmsSet set;
    for (int i = 0; i < PairCount; ++i)
        set[i] = {numberFields_[i]->text(), textFields_[i]->text()};
    return set;
}

void TForm4::setSmsSet(const SmsSet& set)
{
    for (int i = 0; i < PairCount; ++i) {
        numberFields_[i]->setText(set[i].number);
        textFields_[i]->setText(set[i].text);
    }
}

bool TForm4::Kontrola() const
{
    return kva::sms::Kontrola(VrStrEdit19->text(), smsSet());
}

void TForm4::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TForm4::FormShow()
{
    VrStrEdit19->setText(smsCentreNumber_);
}

void TForm4::VrStrEdit19Change()
{
    smsCentreNumber_ = VrStrEdit19->text();
}

void TForm4::Koduj()
{
    TpduLength = encodeMessage(OutgoingMessage, kva::blankControls(VrStrEdit19->text()), CurrentNumber, CurrentText);
}

void TForm4::setActionButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {Button1, Button3, Button4, Button2, Button5})
        b->setEnabled(enabled);
}

void TForm4::Button2Click()
{
    kva::guarded(this, [this] {
        const QString path = kva::chooseFileToWrite(this, QStringLiteral("sms"), QStringLiteral("*.sms"), QStringLiteral("sms"));
        if (path.isEmpty())
            return;
        saveSmsFile(path, smsSet());
    });
}

void TForm4::Button5Click()
{
    kva::guarded(this, [this] {
        const QString path = kva::chooseOpenFile(this, QStringLiteral("sms"), QStringLiteral("*.sms"), QStringLiteral("sms"));
        if (path.isEmpty())
            return;
        setSmsSet(loadSmsFile(path));
    });
}
