#pragma once
// The recorded exchanges: which page, which button, which simulated phone. The recorder
// (RecordTranscripts.cpp) ran each against phonesim and saved the wire dialogue under
// tests/data/<name>.txt; the replay test plays the phone's side of it back.
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QByteArray>
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
    TForm1::TabWindows windows;
    // Gives the page's button that starts the exchange.
    std::function<QPushButton*()> button;
};

// `page` receives the window the scenario builds.
inline QList<Scenario> scenarios(QWidget*& page)
{
    auto config = [&page](std::function<QPushButton*(TForm5*)> b) {
        return std::make_pair(TForm1::TabWindows{[&page](TForm1& f) { return page = new TForm5(f); }, {}, {}},
                              std::function<QPushButton*()>([&page, b] { return b(static_cast<TForm5*>(page)); }));
    };
    auto numbers = [&page](std::function<QPushButton*(TForm6*)> b) {
        return std::make_pair(TForm1::TabWindows{{}, {}, [&page](TForm1& f) { return page = new TForm6(f); }},
                              std::function<QPushButton*()>([&page, b] { return b(static_cast<TForm6*>(page)); }));
    };
    auto smsPage = [&page](std::function<QPushButton*(TForm4*)> b) {
        return std::make_pair(TForm1::TabWindows{{}, [&page](TForm1& f) { return page = new TForm4(f); }, {}},
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
    return {
        {"config-write", {}, {}, configWrite.first, configWrite.second},
        {"config-read", {}, sim56, configRead.first, configRead.second},
        {"numbers-write", {}, {}, numbersWrite.first, numbersWrite.second},
        {"numbers-read", {}, simNumbers, numbersRead.first, numbersRead.second},
        {"sms-store", {}, {}, smsStore.first, smsStore.second},
        {"sms-read", {}, simSms, smsRead.first, smsRead.second},
        {"sms-delete", {}, simSms, smsDelete.first, smsDelete.second},
        {"silent-phone", {"--silent"}, simNumbers, numbersRead.first, numbersRead.second},
        {"no-echo", {"--no-echo"}, simSms, smsRead.first, smsRead.second},
        // The "OK" to the probe comes 400 ms after the echo: it is being received when the
        // step that examines it falls due.
        {"late-answer", {"--delay-ms", "400"}, sim56, configRead.first, configRead.second},
        {"error-answer", {"--error", "AT+CPBR=5"}, sim56, configRead.first, configRead.second},
    };
}

} // namespace replay
