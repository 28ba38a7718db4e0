#pragma once
// The SMS page's requests of the SIM without widgets: the positions, and each pair as it is
// encoded for the store.
#include "SmsSet.h"

#include <QList>
#include <QString>

namespace kva::sms {

// The positions the read and the delete ask for: 1 to 9.
QList<int> positions();

// The pair as it is encoded for the store: numbers and text with a blank for each control
// character (kva::blankControls), so that nothing from a field can end or cancel a command early.
Pair pairToSend(const Pair& pair);

// Gauge_increment: the value plus 6, at most 100.
int gaugeIncrement(int value);

} // namespace kva::sms
