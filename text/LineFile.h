#pragma once
#include <QString>
#include <QStringList>

namespace kva {

// Every file of the program is a short list of Windows-1250 text lines ended by CR LF.

// Longest line kept when reading; the rest of a longer line is skipped.
constexpr int MaxLineLength = 65536;

// Reads the first `count` lines of a file. Lines end at CR LF, a lone CR or a lone LF; reading
// stops at Ctrl-Z (character 26). Missing lines come back empty, so the result always has `count`
// entries. Any content is accepted. Throws FileError when the file cannot be opened or read.
QStringList readLineFile(const QString& path, int count);

// Writes the lines, each followed by CR LF. The target is replaced only once the whole new file
// is on disk; on any error the old file stays as it was and FileError is thrown.
void writeLineFile(const QString& path, const QStringList& lines);

// Writes `bytes` as they are, replacing the target the same safe way (for files that are not
// Windows-1250 lines, e.g. a UTF-8 text the user sends on). Throws FileError.
void writeBytesFile(const QString& path, const QByteArray& bytes);

// Splits bytes the same way readLineFile does (exposed for tests and fuzzing).
QStringList splitLines(const QByteArray& bytes, int count);

} // namespace kva
