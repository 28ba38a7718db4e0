#pragma once
#include "PDU.h"
#include "SmsSet.h"
#include "SmsTransfer.h"

#include <QWidget>
#include <array>

class QGridLayout;
class QLabel;
class QPushButton;
class TGauge;
class VrStrEdit;
namespace kva {
class FieldMarks;
class SimLink;
namespace sim {
struct Progress;
}
}

// Úprava SMS: the nine SMS messages (destination number and text for SIM positions 1 to 9)
// and the SMS-centre number, their check, *.sms files, and their transfer with the phone through
// the SIM link (Unit4Transfer.cpp).
class TForm4 : public QWidget {
    Q_OBJECT
public:
    // `smsCentreNumber`: the number kept in setting.ini, which the centre field edits.
    TForm4(kva::SimLink& link, QString& smsCentreNumber, QWidget* parent = nullptr);

    // True when the SMS-centre number is 13 characters beginning with "+" and every destination
    // number is empty or of that form.
    bool Kontrola() const;

    void FormShow();          // the centre field takes the SMS-centre number of setting.ini
    void VrStrEdit19Change(); // the SMS-centre number of setting.ini takes the centre field
    void Button2Click();      // save a *.sms file
    void Button5Click();      // load a *.sms file

    // Encodes the current pair (CurrentNumber, CurrentText) with the SMS-centre field into
    // OutgoingMessage.PduText and TpduLength.
    void Koduj();

    // Store the nine pairs on the SIM after Kontrola: positions 1 to 9 cleared, then the nine
    // messages stored in order; the PDUs are encoded from the fields at the click.
    void Button3Click();
    // Read SIM positions 1 to 9 into the fields.
    void Button1Click();
    // Delete SIM positions 1 to 9 after asking; the fields are emptied once the SIM confirmed.
    void Button4Click();
    void smazni();          // clears DestNumber and MessageText of IncomingMessage
    void Gauge_increment(); // the gauge plus 6, at most 100

    // Disables or enables the five action buttons in the order Button1, Button3, Button4,
    // Button2, Button5; the fields stay editable.
    void setActionButtonsEnabled(bool enabled);

    // The eighteen fields as pairs, SIM positions 1 to 9.
    kva::sms::SmsSet smsSet() const;
    void setSmsSet(const kva::sms::SmsSet& set);
    VrStrEdit* numberField(int index) const { return numberFields_[index]; }
    VrStrEdit* textField(int index) const { return textFields_[index]; }
    // A text the recipient's phone will not show as typed is marked, with what it will show on
    // the line under it (hidden otherwise).
    bool isTextMarked(int index) const;
    QLabel* previewLine(int index) const { return previews_[index]; }

    QLabel* Label1 = nullptr; // "Telefonní číslo"
    QLabel* Label2 = nullptr; // "Text SMS"
    std::array<QLabel*, kva::sms::PairCount> rowLabels{}; // "Vstup OK2" ... "RE2 vypnuto"
    VrStrEdit* VrStrEdit1 = nullptr;  // number, position 1 (input OK2)
    VrStrEdit* VrStrEdit2 = nullptr;  // text, position 1
    VrStrEdit* VrStrEdit3 = nullptr;
    VrStrEdit* VrStrEdit4 = nullptr;
    VrStrEdit* VrStrEdit5 = nullptr;
    VrStrEdit* VrStrEdit6 = nullptr;
    VrStrEdit* VrStrEdit7 = nullptr;  // number, position 4 (input OK1, "Poplach")
    VrStrEdit* VrStrEdit8 = nullptr;
    VrStrEdit* VrStrEdit9 = nullptr;
    VrStrEdit* VrStrEdit10 = nullptr;
    VrStrEdit* VrStrEdit11 = nullptr;
    VrStrEdit* VrStrEdit12 = nullptr;
    VrStrEdit* VrStrEdit13 = nullptr;
    VrStrEdit* VrStrEdit14 = nullptr;
    VrStrEdit* VrStrEdit15 = nullptr;
    VrStrEdit* VrStrEdit16 = nullptr;
    VrStrEdit* VrStrEdit17 = nullptr; // number, position 9
    VrStrEdit* VrStrEdit18 = nullptr; // text, position 9
    QLabel* Label3 = nullptr;         // "Číslo Vašeho SMS centra"
    VrStrEdit* VrStrEdit19 = nullptr; // SMS-centre number, mirrors SmsCentreNumber
    std::array<QLabel*, 4> notes{};
    QLabel* VrLabel1 = nullptr;       // status
    TGauge* Gauge1 = nullptr;         // hidden unless a phone exchange runs
    QPushButton* Button1 = nullptr;   // "Načti SMS z telefonu"
    QPushButton* Button3 = nullptr;   // "Ulož SMS do telefonu"
    QPushButton* Button4 = nullptr;   // "Vymazat všechny SMS v telefonu"
    QPushButton* Button2 = nullptr;   // "Uložit SMS do souboru"
    QPushButton* Button5 = nullptr;   // "Načíst SMS ze souboru"
    QPushButton* ReplaceDiacritics = nullptr; // "Nahradit diakritiku", shown while a text is marked

    QString CurrentNumber; // the pair being encoded, put in place by the caller of Koduj
    QString CurrentText;
    kva::TPduMessage OutgoingMessage; // filled by Koduj
    kva::TPduMessage IncomingMessage; // for decoding what the phone returns
    quint16 TpduLength = 0;           // set by Koduj: the TPDU length in octets

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectTransfer();
    void backToIdle();      // status " ", gauge hidden, the five buttons enabled
    void clearPairFields(); // the eighteen number and text fields emptied
    void showReadAnswer(int pairIndex, const QByteArray& pdu);
    kva::sim::Progress statusProgress();
    // Marks on the texts, each text's preview line in the row under it, and the replace button
    // under the last row (Unit4Preview.cpp).
    void addTextMarks(QGridLayout* rows);

    kva::SimLink& link_;
    QString& smsCentreNumber_;
    std::array<VrStrEdit*, kva::sms::PairCount> numberFields_{};
    std::array<VrStrEdit*, kva::sms::PairCount> textFields_{};
    kva::FieldMarks* marks_ = nullptr;
    std::array<QLabel*, kva::sms::PairCount> previews_{};
};
