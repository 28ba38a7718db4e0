#include "Unit5.h"

#include "CaptionedValue.h"
#include "SimLink.h"
#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "TextRoom.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using kva::Option;
using kva::TimeDigit;

namespace {

struct OptionTexts {
    const char16_t* group;
    const char16_t* first;  // choice "0", the upper button
    const char16_t* second; // choice "1"
};

// In the order of kva::Option.
constexpr OptionTexts Texts[kva::OptionCount] = {
    {u"Autentizace příchozího hovoru", u"Autentizace vypnuta", u"Autentizace zapnuta"},
    {u"Funkce Relé 2", u"Zapnout / Vypnout", u"Impuls"},
    {u"Opakovat volání při poplachu ?", u"Ne", u"Ano"},
    {u"Odeslat SMS při poplachu ?", u"Ne", u"Ano"},
    {u"Udržení kreditu", u"Ne", u"Ano"},
    {u"Počet ovládacích čísel ze SIM", u"1   (ovládání z 1.čísla na SIM)", u"2   (ovládání z 1. i 2. čísla )"},
    {u"Testování optočlenů OK2 až OK4", u"Ne", u"Ano"},
    {u"Potvrzení akce", u"Prozvonění", u"SMS"},
    {u"Kontrolní SMS jedenkrát měsíčně", u"Nezasílat", u"Zasílat"},
    {u"Aktivační úroveň vstupu OK1", u"Přivedením napětí", u"Odpojením napětí"},
    {u"Autentizace ovládacích SMS", u"Autentizace vypnuta", u"Autentizace zapnuta"},
};

QString text(const char16_t* s)
{
    return QString::fromUtf16(s);
}

int optionIndex(Option o)
{
    return static_cast<int>(o);
}

// The first group pairs RadioButton2 ("0") with RadioButton1 ("1"); from then on the odd
// button of each pair is the "0" choice.
int firstChoiceNumber(Option o)
{
    return o == Option::CallAuthentication ? 2 : 2 * optionIndex(o) + 1;
}

int secondChoiceNumber(Option o)
{
    return o == Option::CallAuthentication ? 1 : 2 * optionIndex(o) + 2;
}

QFrame* separator(QFrame::Shape shape, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TForm5::TForm5(kva::SimLink& link, QWidget* parent)
    : QWidget(parent), link_(link)
{
    setWindowTitle(QStringLiteral("Konfigurace"));
    // The page has a fixed designed size; a fixed small font keeps all four columns inside it.
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    setFont(small);
    buildLayout();
    kva::makeRoomForAccents(this); // the háček of "Č" in the 10 px captions needs a row above the ascent

    for (int n = 1; n <= 22; ++n)
        connect(radio_[n], &QRadioButton::toggled, this, [this, n](bool on) {
            if (on) // only the button that becomes selected runs its handler
                RadioButtonClick(n);
        });
    // activated: the user's choice only; setting a list from the program runs no handler.
    connect(ComboBox1, &QComboBox::activated, this, &TForm5::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm5::ComboBox2Change);
    connect(ComboBox3, &QComboBox::activated, this, &TForm5::ComboBox3Change);
    connect(ComboBox4, &QComboBox::activated, this, &TForm5::ComboBox4Change);
    connect(ComboBox6, &QComboBox::activated, this, &TForm5::ComboBox6Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm5::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm5::BitBtn2Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm5::BitBtn4Click);

    connectTransfer();

    FormCreate();
}

Option TForm5::optionOfButton(int n)
{
    return static_cast<Option>(n <= 2 ? 0 : (n - 1) / 2);
}

bool TForm5::isSecondChoice(int n)
{
    return n <= 2 ? n == 1 : n % 2 == 0;
}

QRadioButton* TForm5::firstChoiceButton(Option o) const
{
    return radio_[firstChoiceNumber(o)];
}

QRadioButton* TForm5::secondChoiceButton(Option o) const
{
    return radio_[secondChoiceNumber(o)];
}

QComboBox* TForm5::timeList(TimeDigit t) const
{
    switch (t) {
    case TimeDigit::AlarmRelayTime:
        return ComboBox6;
    case TimeDigit::DeactivationMinutes:
        return ComboBox1;
    case TimeDigit::DeactivationSeconds:
        return ComboBox2;
    case TimeDigit::AfterActivationMinutes:
        return ComboBox3;
    case TimeDigit::AfterActivationSeconds:
        return ComboBox4;
    }
    return nullptr;
}

void TForm5::FormCreate()
{
    model_.reset();
    aktualizace();
    aktualizace1();
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox6})
        list->setCurrentIndex(0);
}

void TForm5::aktualizace()
{
    StaticText1->setText(model_.optionsNumber());
}

void TForm5::aktualizace1()
{
    StaticText2->setText(model_.timesNumber());
}

void TForm5::Nastaveni_checku(const QString& number)
{
    for (Option o : kva::optionsSelectedBy(number))
        secondChoiceButton(o)->setChecked(true); // runs the button's handler if it was not selected
}

void TForm5::Nastaveni_casu(const QString& number)
{
    kva::decodeTimes(number, [this](TimeDigit t, int d) {
        timeList(t)->setCurrentIndex(d);
        model_.setTime(t, QChar(u'0' + d));
    });
}

void TForm5::Smaz_nastaveni()
{
    for (int i = 0; i < kva::OptionCount; ++i)
        firstChoiceButton(static_cast<Option>(i))->setChecked(true);
    model_.resetOptions();
    aktualizace();
    model_.resetTimes();
    aktualizace1();
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox6})
        list->setCurrentIndex(0);
}

void TForm5::Zakaz_tlacitka()
{
    for (QPushButton* b : {BitBtn1, BitBtn3, BitBtn2, Button1, BitBtn4})
        b->setEnabled(false);
}

void TForm5::Povol_tlacitka()
{
    for (QPushButton* b : {BitBtn1, BitBtn3, BitBtn2, Button1, BitBtn4})
        b->setEnabled(true);
}

void TForm5::RadioButtonClick(int n)
{
    kva::guarded(this, [&] {
        model_.setOption(optionOfButton(n), isSecondChoice(n));
        aktualizace();
    });
}

void TForm5::timeChosen(TimeDigit t)
{
    kva::guarded(this, [&] {
        model_.setTime(t, kva::timeDigitForItem(t, timeList(t)->currentText()));
        aktualizace1();
    });
}

void TForm5::ComboBox1Change()
{
    timeChosen(TimeDigit::DeactivationMinutes);
}

void TForm5::ComboBox2Change()
{
    timeChosen(TimeDigit::DeactivationSeconds);
}

void TForm5::ComboBox3Change()
{
    timeChosen(TimeDigit::AfterActivationMinutes);
}

void TForm5::ComboBox4Change()
{
    timeChosen(TimeDigit::AfterActivationSeconds);
}

void TForm5::ComboBox6Change()
{
    timeChosen(TimeDigit::AlarmRelayTime);
}

void TForm5::BitBtn1Click()
{
    kva::guarded(this, [&] { Smaz_nastaveni(); });
}

void TForm5::BitBtn2Click()
{
    kva::guarded(this, [&] {
        const QString path = kva::chooseFileToWrite(this, QStringLiteral("par"), QStringLiteral("*.par"), QStringLiteral("par"));
        if (path.isEmpty())
            return;
        kva::writeParFile(path, {StaticText1->text(), StaticText2->text()});
    });
}

void TForm5::BitBtn4Click()
{
    kva::guarded(this, [&] {
        const QString path = kva::chooseOpenFile(this, QStringLiteral("*.par"), QStringLiteral("*.par"), QStringLiteral("par"));
        if (path.isEmpty())
            return;
        const kva::ParFile file = kva::readParFile(path); // the file is closed again before decoding
        Smaz_nastaveni();
        StaticText1->setText(file.optionsNumber);
        Nastaveni_checku(StaticText1->text());
        StaticText2->setText(file.timesNumber);
        Nastaveni_casu(StaticText2->text());
    });
}

QWidget* TForm5::buildOptionGroup(Option o)
{
    const OptionTexts& t = Texts[optionIndex(o)];
    auto* group = new QGroupBox(text(t.group), this);
    auto* first = new QRadioButton(text(t.first), group);
    auto* second = new QRadioButton(text(t.second), group);
    first->setChecked(true); // as designed: the "0" choice
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 2, 4, 4);
    layout->setSpacing(0);
    layout->addWidget(first);
    layout->addWidget(second);
    radio_[firstChoiceNumber(o)] = first;
    radio_[secondChoiceNumber(o)] = second;
    GroupBox[optionIndex(o)] = group;
    return group;
}

QComboBox* TForm5::makeList(const TimeList& spec, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->addItems(kva::timeItems(spec.digit));
    list->setMaxVisibleItems(spec.visibleItems);
    list->setEditable(false); // only the listed items can be chosen
    return *spec.list = list;
}

QWidget* TForm5::buildTimeGroup(const QString& caption, const TimeList* minutes, const TimeList& seconds)
{
    auto* group = new QGroupBox(caption, this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(2);
    int column = 0;
    if (minutes) {
        grid->addWidget(new QLabel(QStringLiteral("Minuty"), group), 0, column);
        grid->addWidget(makeList(*minutes, group), 1, column++);
        auto* plus = new QLabel(QStringLiteral("+"), group);
        QFont bold = plus->font();
        bold.setBold(true);
        plus->setFont(bold);
        plus->setAlignment(Qt::AlignCenter);
        grid->addWidget(plus, 0, column);
        grid->addWidget(new QLabel(group), 1, column++);
    }
    grid->addWidget(new QLabel(QStringLiteral("Sekundy"), group), 0, column);
    grid->addWidget(makeList(seconds, group), 1, column++);
    grid->setColumnStretch(column, 1);
    return group;
}

QWidget* TForm5::buildNumberBox(const QString& caption, QLabel*& number)
{
    auto* box = new QWidget(this);
    auto* title = new QLabel(caption, box);
    title->setWordWrap(true);
    number = new QLabel(box);
    kva::nameByCaption(number, title);
    // A styled panel draws all four edges in the frame colour; a plain sunken panel draws the
    // lower and right ones in the light colour, which the light page swallows.
    number->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    number->setTextFormat(Qt::PlainText); // a loaded line is shown as it is, never as markup
    number->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont big(QStringLiteral("DejaVu Sans Mono"));
    big.setPixelSize(20);
    number->setFont(big);
    QPalette red = number->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    red.setColor(QPalette::Text, Qt::red);
    number->setPalette(red);
    // Fixed size: a long line loaded from a file is cut off instead of widening the page.
    number->setFixedSize(number->fontMetrics().horizontalAdvance(QStringLiteral("+000000000000")) + 12,
                         number->fontMetrics().height() + 10);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(title);
    layout->addWidget(number);
    return box;
}

// Every control is made inside the page, in the order the columns show them (which is also the
// order of the focus chain). Made loose and put in afterwards, each control would be told of the
// page's small font once more, and the lists would build their pop-ups for it.
void TForm5::buildLayout()
{
    auto* column1 = new QVBoxLayout;
    auto* column2 = new QVBoxLayout;
    column1->setSpacing(10);
    column2->setSpacing(10);
    for (int i = 0; i < kva::OptionCount; ++i)
        (i < 6 ? column1 : column2)->addWidget(buildOptionGroup(static_cast<Option>(i)));
    column1->addStretch();
    RadioButton1 = radio_[1];
    RadioButton2 = radio_[2];
    RadioButton3 = radio_[3];
    RadioButton4 = radio_[4];
    RadioButton5 = radio_[5];
    RadioButton6 = radio_[6];
    RadioButton7 = radio_[7];
    RadioButton8 = radio_[8];
    RadioButton9 = radio_[9];
    RadioButton10 = radio_[10];
    RadioButton11 = radio_[11];
    RadioButton12 = radio_[12];
    RadioButton13 = radio_[13];
    RadioButton14 = radio_[14];
    RadioButton15 = radio_[15];
    RadioButton16 = radio_[16];
    RadioButton17 = radio_[17];
    RadioButton18 = radio_[18];
    RadioButton19 = radio_[19];
    RadioButton20 = radio_[20];
    RadioButton21 = radio_[21];
    RadioButton22 = radio_[22];

    column2->addStretch();
    column2->addWidget(buildNumberBox(QStringLiteral("Číslo které uložíte na 5. pozici SIM"), StaticText1));
    column2->addSpacing(10); // keeps the number's frame clear of the tab page's edge
    QFrame* divider = separator(QFrame::VLine, this);

    const TimeList deactivationMinutes{&ComboBox1, TimeDigit::DeactivationMinutes, 10};
    const TimeList afterActivationMinutes{&ComboBox3, TimeDigit::AfterActivationMinutes, 10};
    auto* column3 = new QVBoxLayout;
    column3->setSpacing(10);
    column3->addWidget(buildTimeGroup(QStringLiteral("Čas pro možnost deaktivace"), &deactivationMinutes,
                                      {&ComboBox2, TimeDigit::DeactivationSeconds, 12}));
    column3->addWidget(buildTimeGroup(QStringLiteral("Čas po aktivaci"), &afterActivationMinutes,
                                      {&ComboBox4, TimeDigit::AfterActivationSeconds, 10}));
    column3->addWidget(buildTimeGroup(QStringLiteral("Doba sepnutí poplachového relé"), nullptr,
                                      {&ComboBox6, TimeDigit::AlarmRelayTime, 10}));
    column3->addStretch();
    column3->addWidget(buildNumberBox(QStringLiteral("Číslo které uložíte na 6. pozici SIM"), StaticText2));
    column3->addSpacing(10);

    VrLabel1 = new QLabel(this);
    VrLabel1->setTextFormat(Qt::PlainText);
    VrLabel1->setAlignment(Qt::AlignCenter);
    QFont bold = VrLabel1->font();
    bold.setBold(true);
    VrLabel1->setFont(bold);
    QPalette red = VrLabel1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    VrLabel1->setPalette(red);
    // The status line is as high as a line of the application's bold font, not the page's.
    QFont applicationBold = QApplication::font(VrLabel1);
    applicationBold.setBold(true);
    VrLabel1->setMinimumHeight(QFontMetrics(applicationBold, VrLabel1).height() + 4);
    Gauge1 = new QProgressBar(this);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    QSizePolicy keepPlace = Gauge1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true); // showing the gauge must not move the buttons
    Gauge1->setSizePolicy(keepPlace);
    Gauge1->hide();

    BitBtn1 = new QPushButton(QStringLiteral("Parametry v aplikaci vymazat"), this);
    BitBtn1->setToolTip(QStringLiteral("Maže parametry pouze v programu, ne v telefonu"));
    Button1 = new QPushButton(QStringLiteral("Načíst konfiguraci z telefonu"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Uložit konfiguraci do telefonu"), this);
    QFrame* rule = separator(QFrame::HLine, this);
    BitBtn4 = new QPushButton(QStringLiteral("Načíst konfiguraci ze souboru"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Uložit konfiguraci do souboru"), this);
    for (QPushButton* b : {BitBtn1, Button1, BitBtn3, BitBtn4, BitBtn2})
        b->setMinimumHeight(30);

    auto* column4 = new QVBoxLayout;
    column4->addSpacing(8);
    column4->addWidget(VrLabel1);
    column4->addWidget(Gauge1);
    column4->addSpacing(16);
    column4->addWidget(BitBtn1);
    column4->addSpacing(16);
    column4->addWidget(Button1);
    column4->addWidget(BitBtn3);
    column4->addSpacing(8);
    column4->addWidget(rule);
    column4->addSpacing(8);
    column4->addWidget(BitBtn4);
    column4->addWidget(BitBtn2);
    column4->addStretch();

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(5);
    page->addLayout(column1);
    page->addLayout(column2);
    page->addWidget(divider);
    page->addLayout(column3);
    page->addLayout(column4);
}
