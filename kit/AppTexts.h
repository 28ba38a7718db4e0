#pragma once
#include <QString>

namespace kva {

inline QString applicationTitle() { return QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento"); }
inline QString mainWindowCaption() { return QStringLiteral("Pomůcka pro nastavení konfigurace GSM alarmu KVA271 - Orvento"); }

} // namespace kva
