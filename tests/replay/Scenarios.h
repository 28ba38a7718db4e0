#pragma once
// The recorded exchanges: which page, which button, which simulated phone. The recorder
// (RecordTranscripts.cpp) ran each against phonesim and saved the wire dialogue under
// tests/data/<name>.txt; the replay test plays the phone's side of it back.
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QByteArray>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QStringList>

#include <functional>

namespace replay {

inline QByteArray pb(int pos, const QByteArray& number, const QByteArray& name)
{
    return "pb " + QByteArray::number(pos) + " 145 " + number + ' ' + name + '\n';
}

inline QByteArray sms(int pos, int status, const QByteArray& pdu)
{
    return "sms " + QByteArray::number(pos) + ' ' + QByteArray::number(status) + ' ' + pdu + '\n';
}

struct Scenario {
    const char* name;
    QStringList phoneArgs;
    QByteArray state;
    TForm1::Pages windows;
    // Gives the page's button that starts the exchange.
    std::function<QPushButton*()> button;
    // The planned time of each command, in ms from the first, and the message boxes shown.
    QList<qint64> sendTimesMs;
    QStringList boxes;
    // What the page shows afterwards (see shows()); not checked when empty.
    QString expectShown;
};

// The page's phone fields in one line: numbers and names or texts as "number/name|…".
inline QString shows(QWidget* page)
{
    QStringList parts;
    if (auto* config = qobject_cast<TForm5*>(page))
        return config->StaticText1->text() + u' ' + config->StaticText2->text();
    if (auto* numbers = qobject_cast<TForm6*>(page))
        for (const kva::numbers::Entry& e : numbers->entries())
            parts << e.number + u'/' + e.name;
    if (auto* sms = qobject_cast<TForm4*>(page))
        for (const kva::sms::Pair& p : sms->smsSet())
            parts << p.number + u'/' + p.text;
    return parts.join(u'|');
}

inline QString shows(const kva::sms::SmsSet& set)
{
    QStringList parts;
    for (const kva::sms::Pair& p : set)
        parts << p.number + u'/' + p.text;
    return parts.join(u'|');
}

// Every `step` ms from `start`, `count` times.
inline QList<qint64> every(qint64 start, qint64 step, int count)
{
    QList<qint64> times;
    for (int i = 0; i < count; ++i)
        times << start + step * i;
    return times;
}

// `page` receives the window the scenario builds; `form` is the main window that builds it.
inline QList<Scenario> scenarios(QWidget*& page, TForm1*& form)
{
    auto config = [&page](std::function<QPushButton*(TForm5*)> b) {
        return std::make_pair(TForm1::programPages([&page](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}),
                              std::function<QPushButton*()>([&page, b] { return b(static_cast<TForm5*>(page)); }));
    };
    auto numbers = [&page](std::function<QPushButton*(TForm6*)> b) {
        return std::make_pair(TForm1::programPages({}, [&page](kva::SimLink& f) { return page = new TForm6(f); }, {}),
                              std::function<QPushButton*()>([&page, b] { return b(static_cast<TForm6*>(page)); }));
    };
    auto smsPage = [&page, &form](std::function<QPushButton*(TForm4*)> b) {
        return std::make_pair(TForm1::programPages({}, {}, [&page, &form](kva::SimLink& f) {
                                  return page = new TForm4(f, form->SmsCentreNumber);
                              }),
                              std::function<QPushButton*()>([&page, b] { return b(static_cast<TForm4*>(page)); }));
    };
    const auto configWrite = config([](TForm5* p) { return p->BitBtn3; });
    const auto configRead = config([](TForm5* p) { return p->Button1; });
    const auto numbersWrite = numbers([](TForm6* p) { return p->Button2; });
    const auto numbersRead = numbers([](TForm6* p) { return p->Button1; });
    const auto smsStore = smsPage([](TForm4* p) { return p->Button3; });
    const auto smsRead = smsPage([](TForm4* p) { return p->Button1; });
    const auto smsDelete = smsPage([](TForm4* p) { return p->Button4; });

    const QByteArray sim56 = pb(5, "+000000000011", "Setup") + pb(6, "+000000092310", "Casy");
    const QByteArray simNumbers = pb(1, "+420603123456", "Priklad") + pb(7, "+420603777777", "Udr%9Een%ED");
    const QByteArray simSms = sms(1, 0, "079124603050020011000c9124603021436500000403cfa50c") +
                              sms(2, 2, "079124603050020011000c9124603021436500000407d0379c1d1ea301") +
                              sms(9, 3, "079124603050020011000c9124603021436500000404d62c5406");
    // The memory and mode commands go on as soon as their OK is stored: 250 ms each with a phone
    // that answers at once.
    // The store: the SIM storage and the PDU mode, nine deletes 1 s apart, 2 s after the last
    // one the first of nine announced PDUs, each command 1 s after the one before.
    const QList<qint64> storeTimes = QList<qint64>{0, 250} + every(500, 1000, 9) + every(10500, 1000, 18);
    // The SMS read: the probe, the storage and the mode in the 500 ms after it, 800 ms after the
    // probe the first read, then 1100 ms from read to read.
    const QList<qint64> smsReadTimes = QList<qint64>{0, 300, 550} + every(800, 1100, 9);
    const QStringList silent{QStringLiteral("Warning|POZOR - telefon nekomunikuje !")};
    // The read fills positions 1, 2 and 9 from the stored PDUs of the initial pairs 1, 4 and 9.
    kva::sms::SmsSet readBack;
    readBack[0] = kva::sms::initialSet()[0];
    readBack[1] = kva::sms::initialSet()[3];
    readBack[8] = kva::sms::initialSet()[8];
    return {
        {"config-write", {}, {}, configWrite.first, configWrite.second, {0, 500, 750, 2250}, {}, {}},
        {"config-read", {}, sim56, configRead.first, configRead.second, {0, 500, 750, 1250}, {},
         QStringLiteral("+000000000011 +000000092310")},
        {"numbers-write", {}, {}, numbersWrite.first, numbersWrite.second, QList<qint64>{0, 300} + every(550, 1500, 5), {},
         {}},
        {"numbers-read", {}, simNumbers, numbersRead.first, numbersRead.second, QList<qint64>{0, 300} + every(550, 300, 5), {},
         QStringLiteral("+420603123456/Priklad|/|/|/|+420603777777/Udržení")},
        {"sms-store", {}, {}, smsStore.first, smsStore.second, storeTimes, {}, {}},
        {"sms-read", {}, simSms, smsRead.first, smsRead.second, smsReadTimes, {}, shows(readBack)},
        {"sms-delete", {}, simSms, smsDelete.first, smsDelete.second, QList<qint64>{0, 250} + every(500, 1000, 9),
         {QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Opravdu vymazat SMS na pozicích 1 "
                         "až 9 v telefonu? Texty na této stránce budou také vymazány.")},
         {}},
        {"silent-phone", {"--silent"}, simNumbers, numbersRead.first, numbersRead.second, {0}, silent, {}},
        // Echo off: the phone answers, and the read goes as with echo.
        {"no-echo", {"--no-echo"}, simSms, smsRead.first, smsRead.second, smsReadTimes, {}, shows(readBack)},
        // Every answer comes 400 ms after its command: each wait that falls due while an answer
        // is being received waits for it, the phone-book choice goes on once its OK is stored,
        // and both positions are read (the recorded answers came a millisecond later still).
        {"late-answer", {"--delay-ms", "400"}, sim56, configRead.first, configRead.second, {0, 650, 1301, 1952}, {},
         QStringLiteral("+000000000011 +000000092310")},
        // The recorded OK to the phone-book choice came 1 ms after the command.
        {"error-answer", {"--error", "AT+CPBR=5"}, sim56, configRead.first, configRead.second, {0, 500, 751, 1251},
         {QStringLiteral("Warning|Některé pozice se ze SIM nepodařilo načíst:\n"
                         "Pozice 5: telefon odmítl (ERROR), hodnota na stránce ponechána.")},
         QStringLiteral("+000000000000 +000000092310")},
    };
}

} // namespace replay
