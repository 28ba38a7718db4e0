#pragma once
#include <QString>
#include <exception>
#include <stdexcept>

namespace kva {

// Base of the errors that end one user operation and are shown to the user in an error box.
// what() holds the message as UTF-8.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// A file could not be opened, read or written; the message names the cause.
class FileError : public Error {
public:
    using Error::Error;
};

// Text that should hold a number does not: "'x' is not a valid integer value".
class ConversionError : public Error {
public:
    using Error::Error;
};

// The text an error box shows for `error`: what() of a std::exception (UTF-8), otherwise
// "Neznámá chyba".
QString messageOf(std::exception_ptr error);

} // namespace kva
