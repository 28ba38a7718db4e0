#include "KvaError.h"

namespace kva {

Error::Error(const QString& message) : std::runtime_error(message.toUtf8().toStdString()) {}

} // namespace kva
