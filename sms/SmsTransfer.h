#pragma once
// The SMS page's requests of the SIM without widgets: the positions, and each pair as it is
// encoded for the store.
#include "SmsSet.h"

#include <QList>
#include <QString>

namespace kva::sms {

// The positions the read and the delete ask for: 1 to 9.
QList<int> positions();

// Control characters (below 32, e.g. CR, LF, Ctrl-Z, ESC) as blanks: nothing from a field can
// end or cancel a command early.
QString blankControls(const QString& text);

// The pair as it is encoded for the store (numbers and text with blanks for control characters).
Pair pairToSend(const Pair& pair);

// Gauge_increment: the value plus 6, at most 100.
int gaugeIncrement(int value);

} // namespace kva::sms
