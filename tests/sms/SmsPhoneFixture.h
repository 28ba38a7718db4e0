#pragma once
// End to end: the "Úprava SMS" page talks through the main window's port to the simulated phone
// on a pseudo-terminal (KVA271_COM1 points at it).
#include "AfComPort.h"
#include "PageControls.h"
#include "PageExchangeFixture.h"
#include "PairPrint.h"
#include "PhoneChannel.h"
#include "Unit4.h"
#include "VrStrEdit.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <csignal>

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

class SmsPhone : public PageExchange {
protected:
    void openWindow(bool choosePort = true)
    {
        openForm({{}, [this](kva::PhoneChannel& f) { return page = new TForm4(f); }, {}}, choosePort);
    }
    // Clicks "Načti SMS z telefonu" and waits for the read to end; its duration.
    qint64 read() { return clickAndWait(page->Button1, 15000); }
    void expectIdle(const QString& status = QString())
    {
        EXPECT_FALSE(form->channel().busy());
        EXPECT_EQ(page->VrLabel1->text().trimmed(), status);
        EXPECT_TRUE(page->Gauge1->isHidden());
        for (QPushButton* b : buttons())
            EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    }
    QList<QPushButton*> buttons() const
    {
        return {page->Button1, page->Button3, page->Button4, page->Button2, page->Button5};
    }
    static QByteArray readTranscript()
    {
        QByteArray out = "AT\r";
        for (int n = 1; n <= 9; ++n)
            out += "AT+CMGR=" + QByteArray::number(n) + '\r';
        return out;
    }

    TForm4* page = nullptr;
};
