#pragma once
// The PC/SC smart-card service (pcscd with a CCID reader): the readers it knows and a card in
// one of them, connected exclusively (T=0 preferred) and reset when let go, so that nothing the
// card was told (the PIN) outlives the session.
//
// Every call blocks (a card may take seconds): call them off the user-interface thread. Failures
// throw CardError with a Czech text that says what the user can do.
#include "CardChannel.h"

#include <QStringList>

#include <cstdint>

namespace kva::card {

// The readers the service knows, in its order. Throws CardError when the service is not there.
QStringList pcscReaders();

// The Czech text of a PC/SC result code, with what to do about it.
QString pcscErrorText(long code);

class PcscCard : public CardChannel {
public:
    // Connects to the card in `reader`; throws CardError (no service, no card, reader taken).
    explicit PcscCard(const QString& reader);
    ~PcscCard() override;
    PcscCard(const PcscCard&) = delete;
    PcscCard& operator=(const PcscCard&) = delete;

    Response transmit(const QByteArray& apdu) override;
    bool t0() const { return t0_; }

private:
    std::intptr_t context_ = 0;
    std::intptr_t card_ = 0;
    bool t0_ = true;
};

} // namespace kva::card
