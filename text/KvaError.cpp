#include "KvaError.h"

namespace kva {

Error::Error(const QString& message) : std::runtime_error(message.toUtf8().toStdString()) {}

QString messageOf(std::exception_ptr error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
    }
    return QStringLiteral("Neznámá chyba");
}

} // namespace kva
