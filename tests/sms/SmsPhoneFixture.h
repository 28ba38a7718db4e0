#pragma once
// The "Úprava SMS" page in the main window talking to the simulated phone: SmsPhone in process
// on a manual clock (PageOnClock), SmsPhonePty over a pseudo-terminal (PageExchange).
#include "PageClockFixture.h"
#include "PageControls.h"
#include "PageExchangeFixture.h"
#include "PairPrint.h"
#include "PhoneChannel.h"
#include "PhoneSim.h"
#include "Unit4.h"
#include "VrStrEdit.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

// The PDUs of the initial fields with the centre "+420603052000", positions 1 to 9.
inline const QList<QByteArray>& initialPdus()
{
    static const QList<QByteArray> pdus{
        "079124603050020011000c9124603021436500000403cfa50c",
        "079124603050020011000c9124603021436500000403cfe50c",
        "079124603050020011000c9124603021436500000403cf250d",
        "079124603050020011000c9124603021436500000407d0379c1d1ea301",
        "079124603050020011000c9124603021436500000407cdf23c3d76a701",
        "079124603050020011000c9124603021436500000404da203406",
        "079124603050020011000c9124603021436500000404d62c3406",
        "079124603050020011000c9124603021436500000404da205406",
        "079124603050020011000c9124603021436500000404d62c5406",
    };
    return pdus;
}

// What the store of the initial fields sends: nine deletes, then each announcement and its PDU.
// The SIM's message storage and the PDU mode, selected before the first SMS command.
inline QByteArray smsMemoryCommands()
{
    return "AT+CPMS=\"SM\",\"SM\",\"SM\"\rAT+CMGF=0\r";
}

inline QByteArray storeTranscript()
{
    QByteArray out = smsMemoryCommands();
    for (int n = 1; n <= 9; ++n)
        out += "AT+CMGD=" + QByteArray::number(n) + '\r';
    const int lengths[9] = {17, 17, 17, 21, 21, 18, 18, 18, 18};
    for (int i = 0; i < 9; ++i)
        out += "AT+CMGW=" + QByteArray::number(lengths[i]) + '\r' + initialPdus()[i] + '\x1a';
    return out;
}

// What a read sends: the probe, then AT+CMGR for positions 1 to 9.
inline QByteArray readTranscript()
{
    QByteArray out = "AT\r" + smsMemoryCommands();
    for (int n = 1; n <= 9; ++n)
        out += "AT+CMGR=" + QByteArray::number(n) + '\r';
    return out;
}

template <class Base>
class SmsPage : public Base {
protected:
    // `portOpen`: over a pty, whether "COM1" is chosen; in process, what the port says.
    void openWindow(bool portOpen = true)
    {
        this->openForm(TForm1::programPages({}, {}, [this](kva::SimLink& f) { return page = new TForm4(f, this->form->SmsCentreNumber); }), portOpen);
    }
    // Clicks "Načti SMS z telefonu" and waits for the read to end; its duration.
    qint64 read() { return this->clickAndWait(page->Button1, 15000); }
    void expectIdle(const QString& status = QString())
    {
        EXPECT_FALSE(this->form->channel().busy());
        EXPECT_EQ(page->VrLabel1->text().trimmed(), status);
        EXPECT_TRUE(page->Gauge1->isHidden());
        for (QPushButton* b : buttons())
            EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    }
    QList<QPushButton*> buttons() const
    {
        return {page->Button1, page->Button3, page->Button4, page->Button2, page->Button5};
    }

    TForm4* page = nullptr;
};

using SmsPhone = SmsPage<PageOnClock>;
using SmsPhonePty = SmsPage<PageExchange>;
