#pragma once
// The simulated SIM: a GSM SIM (class A0) with the MF, DF_TELECOM, EF_ADN and EF_SMS, a PIN
// (CHV1) with a try counter, and the misbehaviour a test asks for. Answers command APDUs with
// data and a status word as a card does; knows nothing of sockets (main.cpp carries its bytes).
//
//   kva::simcard::CardModel card(options);
//   card.powerOn();
//   QByteArray answer = card.process(apdu); // data, then SW1 SW2; empty when the card was pulled
//
// Thread contract: one thread at a time.
#include <QByteArray>
#include <QList>
#include <QString>

namespace kva::simcard {

struct Options {
    int adnRecords = 250;
    int adnRecordLength = 28;
    int smsRecords = 30;
    QString pin = QStringLiteral("1234");
    bool pinEnabled = false;
    int pinTries = 3;      // tries left at the start
    bool usimOnly = false; // refuses class A0 (6E 00), speaks class 00 with FCP templates
    quint16 refuseUpdate = 0; // when set, every UPDATE RECORD answers this status word
    int pullAfterWrites = -1; // the card is pulled during UPDATE RECORD number n + 1 (half written)
    int slowMs = 0;           // each answer takes this long
};

class CardModel {
public:
    static constexpr quint16 Mf = 0x3F00, Telecom = 0x7F10, Adn = 0x6F3A, Sms = 0x6F3C;

    explicit CardModel(const Options& options = Options());

    QByteArray atr() const;
    // Power on or reset: the PIN must be verified again, the MF is selected.
    void powerOn();
    // Data and SW1 SW2; empty once the card was pulled.
    QByteArray process(const QByteArray& apdu);
    bool pulled() const { return pulled_; }

    int pinTries() const { return tries_; }
    int updates() const { return updates_; }
    const Options& options() const { return options_; }

    QByteArray record(quint16 file, int n) const;
    void setRecord(quint16 file, int n, const QByteArray& bytes);

    // The state file: one line per record that is not free ("adn 5 <hex>", "sms 1 <hex>") and
    // "tries n". Throws std::runtime_error when it cannot be read or written.
    void save(const QString& path) const;
    void load(const QString& path);

    // An APDU as the transcript shows it (a VERIFY's PIN as ****).
    static QByteArray logged(const QByteArray& apdu);

private:
    QByteArray gsm(const QByteArray& apdu);
    QByteArray usim(const QByteArray& apdu);
    QByteArray description(quint16 file) const;
    QByteArray fcp(quint16 file) const;
    QList<QByteArray>* records(quint16 file);
    const QList<QByteArray>* records(quint16 file) const;
    int recordLength(quint16 file) const;
    bool selectable(quint16 file) const;
    QByteArray readRecord(int n, int le, bool classic);
    QByteArray updateRecord(int n, const QByteArray& data, bool classic);
    QByteArray verify(const QByteArray& data, bool classic);

    Options options_;
    QList<QByteArray> adn_;
    QList<QByteArray> sms_;
    int tries_ = 3;
    bool verified_ = false;
    bool pulled_ = false;
    int updates_ = 0;
    quint16 current_ = Mf;
    QByteArray pending_; // what GET RESPONSE gives
};

} // namespace kva::simcard
