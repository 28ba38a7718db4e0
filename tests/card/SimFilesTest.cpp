#include "SimFiles.h"

#include "CardModel.h"
#include "InProcessCard.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva;
using card::SimFiles;

namespace {

struct Card {
    explicit Card(simcard::Options o = {})
        : model(std::make_shared<simcard::CardModel>(o)), sent(std::make_shared<QList<QByteArray>>()),
          channel(model, sent), files(channel)
    {
    }
    std::shared_ptr<simcard::CardModel> model;
    std::shared_ptr<QList<QByteArray>> sent;
    test::InProcessCard channel;
    SimFiles files;
};

QByteArray filesHex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

} // namespace

TEST(SimFiles, SelectsFromTheMfWithGetResponseInClassA0)
{
    Card c;
    c.files.open();
    EXPECT_EQ(c.files.kind(), SimFiles::Kind::Gsm);
    c.sent->clear();
    const SimFiles::Ef adn = c.files.select(SimFiles::Adn);
    EXPECT_EQ(adn.recordLength, 28);
    EXPECT_EQ(adn.records, 250);
    EXPECT_EQ(adn.readAccess, 1);
    EXPECT_EQ(adn.updateAccess, 1);
    ASSERT_EQ(c.sent->size(), 6);
    EXPECT_EQ(c.sent->at(0), filesHex("A0 A4 00 00 02 3F 00"));
    EXPECT_EQ(c.sent->at(1), filesHex("A0 C0 00 00 16"));
    EXPECT_EQ(c.sent->at(2), filesHex("A0 A4 00 00 02 7F 10"));
    EXPECT_EQ(c.sent->at(4), filesHex("A0 A4 00 00 02 6F 3A"));
    EXPECT_EQ(c.sent->at(5), filesHex("A0 C0 00 00 0F"));
    const SimFiles::Ef sms = c.files.select(SimFiles::Sms);
    EXPECT_EQ(sms.recordLength, 176);
    EXPECT_EQ(sms.records, 30);
}

TEST(SimFiles, ReadsAndUpdatesRecords)
{
    Card c;
    c.files.open();
    const SimFiles::Ef adn = c.files.select(SimFiles::Adn);
    const QByteArray record = QByteArray(14, 'A') + QByteArray(14, char(0xFF));
    c.files.updateRecord(adn, 7, record);
    EXPECT_EQ(c.model->record(simcard::CardModel::Adn, 7), record);
    EXPECT_EQ(c.files.readRecord(adn, 7), record);
    EXPECT_EQ(c.sent->last(), filesHex("A0 B2 07 04 1C"));
    EXPECT_THROW(c.files.readRecord(adn, 251), card::CardError);
    EXPECT_THROW(c.files.updateRecord(adn, 1, QByteArray(27, 'x')), card::CardError);
}

TEST(SimFiles, TakesTheUsimPathWhenClassA0IsRefused)
{
    simcard::Options o;
    o.usimOnly = true;
    Card c(o);
    c.files.open();
    EXPECT_EQ(c.files.kind(), SimFiles::Kind::Usim);
    const SimFiles::Ef sms = c.files.select(SimFiles::Sms);
    EXPECT_EQ(sms.recordLength, 176);
    EXPECT_EQ(sms.records, 30);
    EXPECT_TRUE(c.sent->contains(filesHex("00 A4 00 04 02 6F 3C")));
    const QByteArray record = QByteArray(1, 0x07) + QByteArray(175, char(0x55));
    c.files.updateRecord(sms, 30, record);
    EXPECT_EQ(c.files.readRecord(sms, 30), record);
    EXPECT_EQ(c.sent->last(), filesHex("00 B2 1E 04 B0"));
    const SimFiles::Pin pin = c.files.pinState(sms, true);
    EXPECT_FALSE(pin.needed);
}

TEST(SimFiles, TellsThePinStateWithoutSpendingATry)
{
    for (bool usim : {false, true}) {
        simcard::Options o;
        o.usimOnly = usim;
        o.pinEnabled = true;
        o.pinTries = 2;
        Card c(o);
        c.files.open();
        const SimFiles::Ef adn = c.files.select(SimFiles::Adn);
        const SimFiles::Pin pin = c.files.pinState(adn, false);
        EXPECT_TRUE(pin.needed) << usim;
        EXPECT_EQ(pin.triesLeft, 2) << usim;
        EXPECT_FALSE(pin.blocked);
        EXPECT_EQ(c.model->pinTries(), 2) << usim;
        for (const QByteArray& apdu : *c.sent)
            EXPECT_FALSE(apdu.size() > 5 && quint8(apdu[1]) == 0x20) << "no VERIFY with data";
    }
}

TEST(SimFiles, VerifyTellsTheTriesLeftAfterARefusal)
{
    for (bool usim : {false, true}) {
        simcard::Options o;
        o.usimOnly = usim;
        o.pinEnabled = true;
        o.pin = QStringLiteral("4321");
        Card c(o);
        c.files.open();
        const SimFiles::Ef adn = c.files.select(SimFiles::Adn);
        SimFiles::Verified v = c.files.verify(QStringLiteral("1111"), adn);
        EXPECT_FALSE(v.accepted);
        EXPECT_EQ(v.triesLeft, 2) << usim;
        EXPECT_THROW(c.files.readRecord(adn, 1), card::CardError);
        v = c.files.verify(QStringLiteral("4321"), adn);
        EXPECT_TRUE(v.accepted);
        EXPECT_EQ(c.files.readRecord(adn, 1), QByteArray(28, char(0xFF)));
        EXPECT_EQ(c.model->pinTries(), 3);
    }
}

TEST(SimFiles, ChecksThePinsFormBeforeSendingIt)
{
    EXPECT_TRUE(SimFiles::pinFormOk(QStringLiteral("1234")));
    EXPECT_TRUE(SimFiles::pinFormOk(QStringLiteral("12345678")));
    for (const char* bad : {"123", "123456789", "12a4", "", "12 34"})
        EXPECT_FALSE(SimFiles::pinFormOk(QString::fromLatin1(bad))) << bad;
    simcard::Options o;
    o.pinEnabled = true;
    Card c(o);
    c.files.open();
    const SimFiles::Ef adn = c.files.select(SimFiles::Adn);
    const qsizetype before = c.sent->size();
    EXPECT_THROW(c.files.verify(QStringLiteral("12"), adn), card::CardError);
    EXPECT_EQ(c.sent->size(), before);
    EXPECT_EQ(c.model->pinTries(), 3);
}

TEST(SimFiles, RefusalsNameTheStatusWordInCzech)
{
    simcard::Options o;
    o.refuseUpdate = 0x6581;
    Card c(o);
    c.files.open();
    const SimFiles::Ef adn = c.files.select(SimFiles::Adn);
    try {
        c.files.updateRecord(adn, 1, QByteArray(28, 'x'));
        FAIL() << "the refusal was not reported";
    } catch (const card::CardError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("SIM odmítla zápis záznamu 1 souboru telefonní seznam (6F3A): paměť karty "
                                              "selhala při zápisu (65 81)."));
    }
}

TEST(StatusWords, EachHasItsCzechText)
{
    const struct {
        quint16 sw;
        const char* text;
    } words[] = {
        {0x9000, "karta příkaz provedla (90 00)"},
        {0x9F16, "karta má připravenou odpověď (22 bajtů) (9F 16)"},
        {0x6112, "karta má připravenou odpověď (18 bajtů) (61 12)"},
        {0x9402, "karta nemá záznam s tímto číslem (94 02)"},
        {0x9404, "karta nemá hledaný soubor (94 04)"},
        {0x9408, "soubor na kartě neodpovídá příkazu (94 08)"},
        {0x9802, "na kartě není nastaven PIN (98 02)"},
        {0x9804, "karta odmítla přístup: PIN nebyl zadán nebo je chybný (98 04)"},
        {0x9808, "PIN je na kartě vypnutý (98 08)"},
        {0x9810, "soubor na kartě je zneplatněný (98 10)"},
        {0x9840, "PIN je zablokovaný, SIM odblokujte v telefonu kódem PUK (98 40)"},
        {0x9850, "karta překročila nejvyšší hodnotu (98 50)"},
        {0x6700, "karta odmítla délku příkazu (67 00)"},
        {0x671C, "karta odmítla délku příkazu (67 1C)"},
        {0x6B00, "karta odmítla parametry příkazu (6B 00)"},
        {0x6CB0, "karta žádá jinou délku odpovědi (176 bajtů) (6C B0)"},
        {0x6D00, "karta příkaz nezná (6D 00)"},
        {0x6E00, "karta nepřijímá tuto třídu příkazů (6E 00)"},
        {0x6F00, "technická chyba karty (6F 00)"},
        {0x63C2, "chybný PIN, zbývá pokusů: 2 (63 C2)"},
        {0x6981, "příkaz neodpovídá struktuře souboru na kartě (69 81)"},
        {0x6982, "karta odmítla přístup: PIN nebyl zadán (69 82)"},
        {0x6983, "PIN je zablokovaný, SIM odblokujte v telefonu kódem PUK (69 83)"},
        {0x6985, "karta příkaz v tomto stavu nepřijímá (69 85)"},
        {0x6A82, "karta nemá hledaný soubor (6A 82)"},
        {0x6A83, "karta nemá záznam s tímto číslem (6A 83)"},
        {0x6A86, "karta odmítla parametry příkazu (6A 86)"},
        {0x6581, "paměť karty selhala při zápisu (65 81)"},
        {0x9201, "karta zápis provedla až na 1. pokus (92 01)"},
        {0x1234, "karta odpověděla neznámým stavem (12 34)"},
    };
    for (const auto& w : words)
        EXPECT_EQ(card::statusText(w.sw), QString::fromUtf8(w.text));
}

TEST(DialogueText, MasksThePinOfVerify)
{
    EXPECT_EQ(card::loggedApdu(filesHex("A0 20 00 01 08 31 32 33 34 FF FF FF FF")), QByteArray("A0 20 00 01 08 ****"));
    EXPECT_EQ(card::loggedApdu(filesHex("00 20 00 01")), QByteArray("00 20 00 01"));
    EXPECT_EQ(card::loggedApdu(filesHex("A0 B2 01 04 1C")), QByteArray("A0 B2 01 04 1C"));
    EXPECT_EQ(card::loggedResponse({filesHex("01 02"), 0x9000}), QByteArray("01 02 90 00"));
    EXPECT_EQ(card::loggedResponse({QByteArray(), 0x9F0F}), QByteArray("9F 0F"));
}
