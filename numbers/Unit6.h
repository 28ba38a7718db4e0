#pragma once
#include "NumberEntries.h"

#include <QWidget>
#include <array>

class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;
namespace kva {
class SimLink;
namespace sim {
struct Progress;
}
}
class TGauge;
class VrStrEdit;
namespace kva {
class FieldMarks;
}

// Ukládání telefonních čísel: the five phone-book entries (SIM positions 1, 2, 3, 4, 7), their
// check, clearing, and *.num files; their transfer with the SIM through the SIM link
// (Unit6Transfer.cpp).
class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(kva::SimLink& link, QWidget* parent = nullptr);

    // True when every number field is empty or 13 characters beginning with "+".
    bool Kontrola() const;
    void Zakaz_tlacitka(); // disables the five action buttons; the fields stay editable
    void Povol_tlacitka();

    void BitBtn1Click(); // clear the entries
    void BitBtn2Click(); // load a *.num file
    void BitBtn3Click(); // save a *.num file

    // Read positions 1, 2, 3, 4, 7 from the SIM into the fields.
    void Button1Click();
    // Write the five entries to the SIM after Kontrola, as the fields hold them at the click;
    // an entry without a number clears its position.
    void Button2Click();
    // Empties the status label, hides the gauge, enables the buttons.
    void backToIdle();

    // The fields as entries, in the order 1, 2, 3, 4, 7.
    kva::numbers::Entries entries() const;
    void setEntries(const kva::numbers::Entries& entries);
    VrStrEdit* numberField(int index) const { return numberFields_[index]; }
    VrStrEdit* nameField(int index) const { return nameFields_[index]; }
    // A name with characters a phone may refuse or store otherwise is marked.
    bool isNameMarked(int index) const;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<QLabel*, kva::numbers::EntryCount> rowLabels{}; // "1. pozice" ... "7. pozice"
    VrStrEdit* VrStrEdit1 = nullptr;  // number, position 1
    VrStrEdit* VrStrEdit2 = nullptr;  // name, position 1
    VrStrEdit* VrStrEdit3 = nullptr;  // position 2
    VrStrEdit* VrStrEdit4 = nullptr;
    VrStrEdit* VrStrEdit5 = nullptr;  // position 3
    VrStrEdit* VrStrEdit6 = nullptr;
    VrStrEdit* VrStrEdit7 = nullptr;  // position 4
    VrStrEdit* VrStrEdit8 = nullptr;
    VrStrEdit* VrStrEdit9 = nullptr;  // position 7
    VrStrEdit* VrStrEdit10 = nullptr;
    QLabel* VrLabel1 = nullptr;       // status
    TGauge* Gauge1 = nullptr;         // hidden unless a phone exchange runs
    QPushButton* BitBtn1 = nullptr;   // "Čísla v aplikaci vymazat"
    QPushButton* Button1 = nullptr;   // "Načíst telefonní čísla z telefonu"
    QPushButton* Button2 = nullptr;   // "Uložit telefonní čísla do telefonu"
    QFrame* Bevel1 = nullptr;         // separates phone actions from file actions
    QPushButton* BitBtn2 = nullptr;   // "Načíst čísla ze souboru"
    QPushButton* BitBtn3 = nullptr;   // "Uložit čísla do souboru"
    QPushButton* ReplaceDiacritics = nullptr; // "Nahradit diakritiku", shown while a name is marked

private:
    void setButtonsEnabled(bool enabled);
    void connectTransfer();
    kva::sim::Progress statusProgress();
    // Marks on the names and the replace button under them (Unit6Marks.cpp).
    void addNameMarks(QGridLayout* rows);

    kva::SimLink& link_;
    std::array<VrStrEdit*, kva::numbers::EntryCount> numberFields_{};
    std::array<VrStrEdit*, kva::numbers::EntryCount> nameFields_{};
    kva::FieldMarks* marks_ = nullptr;
};
