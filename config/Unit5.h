#pragma once
#include "ConfigModel.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
namespace kva {
class SimLink;
namespace sim {
struct PositionResult;
struct Progress;
}
}

// The "Konfigurace" page: eleven two-way options and five times, both SIM numbers always
// shown, the configuration files, and the transfer of both numbers to and from SIM phone-book
// positions 5 ("Setup") and 6 ("Casy") through the SIM link (Unit5Transfer.cpp).
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(kva::SimLink& link, QWidget* parent = nullptr);

    // Defaults at creation: every "0" choice, every list at "0", both numbers "+000000000000".
    void FormCreate();
    // Shows the options number built from the option characters (StaticText1).
    void aktualizace();
    // Shows the times number built from the time digits (StaticText2).
    void aktualizace1();
    // Decodes the options number `number`: selects the "1" choice of every option whose
    // position holds "1"; each selection rebuilds the options number.
    void Nastaveni_checku(const QString& number);
    // Decodes the times number `number` into the lists and time digits; does not rebuild
    // StaticText2. Throws ConversionError at a non-digit (earlier positions stay set).
    void Nastaveni_casu(const QString& number);
    // Back to the defaults; the phone is not touched.
    void Smaz_nastaveni();
    // Disable / enable the five action buttons (option buttons and lists stay usable).
    void Zakaz_tlacitka();
    void Povol_tlacitka();

    // RadioButton1Click … RadioButton22Click, all alike: button n has become selected.
    void RadioButtonClick(int n);
    // The user chose an item of a list.
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void ComboBox6Change();
    void BitBtn1Click(); // clear
    void BitBtn2Click(); // save to a *.par file
    void BitBtn4Click(); // load from a *.par file

    // Write both numbers to the SIM, as the page shows them at the click: position 5 the
    // options ("Setup"), position 6 the times ("Casy").
    void BitBtn3Click();
    // Read both numbers from the SIM; an entry found replaces the page's settings.
    void Button1Click();
    // Status label empty, gauge hidden, action buttons enabled.
    void backToIdle();

    const kva::ConfigModel& model() const { return model_; }
    // The option and the choice ("1" = true) that radio button n (1 … 22) stands for.
    static kva::Option optionOfButton(int n);
    static bool isSecondChoice(int n);
    QRadioButton* radioButton(int n) const { return radio_[n]; }
    QRadioButton* firstChoiceButton(kva::Option o) const;
    QRadioButton* secondChoiceButton(kva::Option o) const;
    QComboBox* timeList(kva::TimeDigit t) const;

    QGroupBox* GroupBox[11] = {}; // option groups, in the order of kva::Option
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton7 = nullptr;
    QRadioButton* RadioButton8 = nullptr;
    QRadioButton* RadioButton9 = nullptr;
    QRadioButton* RadioButton10 = nullptr;
    QRadioButton* RadioButton11 = nullptr;
    QRadioButton* RadioButton12 = nullptr;
    QRadioButton* RadioButton13 = nullptr;
    QRadioButton* RadioButton14 = nullptr;
    QRadioButton* RadioButton15 = nullptr;
    QRadioButton* RadioButton16 = nullptr;
    QRadioButton* RadioButton17 = nullptr;
    QRadioButton* RadioButton18 = nullptr;
    QRadioButton* RadioButton19 = nullptr;
    QRadioButton* RadioButton20 = nullptr;
    QRadioButton* RadioButton21 = nullptr;
    QRadioButton* RadioButton22 = nullptr;
    QComboBox* ComboBox1 = nullptr; // deactivation minutes
    QComboBox* ComboBox2 = nullptr; // deactivation seconds
    QComboBox* ComboBox3 = nullptr; // after activation minutes
    QComboBox* ComboBox4 = nullptr; // after activation seconds
    QComboBox* ComboBox6 = nullptr; // alarm relay seconds
    QLabel* StaticText1 = nullptr;  // options number
    QLabel* StaticText2 = nullptr;  // times number
    QLabel* VrLabel1 = nullptr;     // status during phone exchanges
    QProgressBar* Gauge1 = nullptr; // 0 … 100, hidden when idle
    QPushButton* BitBtn1 = nullptr; // "Parametry v aplikaci vymazat"
    QPushButton* Button1 = nullptr; // "Načíst konfiguraci z telefonu"
    QPushButton* BitBtn3 = nullptr; // "Uložit konfiguraci do telefonu"
    QPushButton* BitBtn4 = nullptr; // "Načíst konfiguraci ze souboru"
    QPushButton* BitBtn2 = nullptr; // "Uložit konfiguraci do souboru"

private:
    void buildLayout();
    QWidget* buildOptionGroup(kva::Option o);
    // A list of a time group: the member it is kept in, what it lists, the items its pop-up shows.
    struct TimeList {
        QComboBox** list;
        kva::TimeDigit digit;
        int visibleItems;
    };
    QWidget* buildTimeGroup(const QString& caption, const TimeList* minutes, const TimeList& seconds);
    QWidget* buildNumberBox(const QString& caption, QLabel*& number);
    QComboBox* makeList(const TimeList& spec, QWidget* parent);
    void timeChosen(kva::TimeDigit t);
    void connectTransfer();
    kva::sim::Progress statusProgress();
    void showReadEntry(const kva::sim::PositionResult& result);

    kva::SimLink& link_;
    kva::ConfigModel model_;
    std::array<QRadioButton*, 23> radio_{}; // 1 … 22
};
