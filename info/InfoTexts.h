#pragma once
#include <QString>
#include <QUrl>

// Addresses and credit of the information windows: the project's own placeholders.
namespace kva {

inline QUrl makerUrl() { return QUrl(QStringLiteral("https://example.org/kva271-config")); }
inline QString makerUrlText() { return QStringLiteral("example.org/kva271-config"); }
inline QUrl deviceUrl() { return QUrl(QStringLiteral("https://example.org/kva271-config/kva271")); }
inline QString creditLine()
{
    return QStringLiteral("tým kva271-config  –  Pomůcka pro nastavení konfigurace GSM alarmu KVA271");
}

} // namespace kva
