#include "SmsEncoding.h"
#include "SmsTransfer.h"

#include <QList>
#include <gtest/gtest.h>

using namespace kva::sms;

namespace {

const QString Centre = QStringLiteral("+420603052000");

} // namespace

TEST(SmsTransfer, TheReadAndTheDeleteAskForPositionsOneToNine)
{
    EXPECT_EQ(positions(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(SmsTransfer, ControlCharactersOfAFieldBecomeBlanks)
{
    EXPECT_EQ(pairToSend({QStringLiteral("\"Pozor\" č"), QStringLiteral("a\x7f" "b")}).text, QStringLiteral("a b"));
    const Pair sent = pairToSend({QStringLiteral("+42060312345\x1a"), QStringLiteral("OK\r2")});
    EXPECT_EQ(sent.number, QStringLiteral("+42060312345 "));
    EXPECT_EQ(sent.text, QStringLiteral("OK 2"));
    // The encoded PDU of such a pair holds no control character: the command is never cut short.
    const EncodedSms e = encodePair(Centre, sent);
    for (char c : e.pduText)
        EXPECT_GE(static_cast<unsigned char>(c), 32) << e.pduText.toStdString();
}

