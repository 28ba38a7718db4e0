#pragma once
#include <QString>
#include <QStringList>
#include <array>

namespace kva::numbers {

// The five phone-book entries of the phone-number window, in the order used everywhere
// (file lines, phone transfer): SIM positions 1, 2, 3, 4 and 7.
constexpr int EntryCount = 5;
constexpr std::array<int, EntryCount> SimPositions{1, 2, 3, 4, 7};
constexpr int FileLineCount = 2 * EntryCount;
// Typed characters a number field takes.
constexpr int NumberTypingLimit = 13;

struct Entry {
    QString number;
    QString name;
    bool operator==(const Entry& o) const { return number == o.number && name == o.name; }
};
using Entries = std::array<Entry, EntryCount>;

// The entries the window starts with.
Entries initialEntries();

// An empty number passes; any other only as "+" and twelve digits.
bool isAcceptedNumber(const QString& number);

// True when every number passes; names are not examined.
bool Kontrola(const Entries& entries);

// The ten lines of a *.num file: number and name of each entry in turn.
QStringList toFileLines(const Entries& entries);
// Missing lines give empty fields.
Entries fromFileLines(const QStringList& lines);

// Write / read a *.num file (Windows-1250, CR LF). Throw kva::FileError.
void saveNumFile(const QString& path, const Entries& entries);
Entries loadNumFile(const QString& path);

} // namespace kva::numbers
