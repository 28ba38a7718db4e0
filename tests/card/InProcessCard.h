#pragma once
// The simulated SIM of tools/simcard answering a card channel in the test's own process, with a
// list of every command it was sent.
#include "CardChannel.h"
#include "CardModel.h"

#include <QList>

#include <memory>

namespace kva::test {

class InProcessCard : public card::CardChannel {
public:
    explicit InProcessCard(std::shared_ptr<simcard::CardModel> model, std::shared_ptr<QList<QByteArray>> sent)
        : model_(std::move(model)), sent_(std::move(sent))
    {
        model_->powerOn();
    }
    ~InProcessCard() override { model_->powerOn(); } // let go with a reset

    card::Response transmit(const QByteArray& apdu) override
    {
        sent_->append(apdu);
        const QByteArray answer = model_->process(apdu);
        if (answer.size() < 2)
            throw card::CardError(QStringLiteral("Spojení s kartou se přerušilo (karta vytažena)."));
        card::Response r;
        r.data = answer.left(answer.size() - 2);
        r.sw = quint16(quint8(answer[answer.size() - 2]) << 8 | quint8(answer[answer.size() - 1]));
        return r;
    }

private:
    std::shared_ptr<simcard::CardModel> model_;
    std::shared_ptr<QList<QByteArray>> sent_;
};

} // namespace kva::test
