#pragma once
// Shared by the fuzz targets: the property checks of FuzzCheck.h, and a scratch file through
// which loaders that take a path get the input.
#include "FuzzCheck.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdint>
#include <unistd.h>

namespace kva::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Saves go through QSaveFile, which syncs to disk; in memory that costs nothing.
inline QDir scratchFolder()
{
    const QDir shm(QStringLiteral("/dev/shm"));
    return shm.exists() && QFileInfo(shm.path()).isWritable() ? shm : QDir::temp();
}

// One file per process and name in the scratch folder, removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const char* name)
        : path_(scratchFolder().filePath(QStringLiteral("kva-fuzz-%1-%2").arg(::getpid()).arg(QLatin1String(name))))
    {
    }
    ~ScratchFile() { QFile::remove(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& path() const { return path_; }

    void write(const QByteArray& bytes) const
    {
        QFile file(path_);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            fail("cannot write the scratch file");
    }

    QByteArray read() const
    {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly))
            fail("cannot read the scratch file");
        return file.readAll();
    }

private:
    QString path_;
};

// The file readers take 16 KiB at a time. Padding the first line so that the input starts just
// before that boundary puts a CR LF pair, a Ctrl-Z or a long line across two reads.
inline QByteArray acrossReadBoundary(const QByteArray& bytes)
{
    constexpr int ReadChunk = 16384;
    const int before = bytes.isEmpty() ? 1 : 1 + static_cast<quint8>(bytes[0]) % 16;
    return QByteArray(ReadChunk - before, 'x') + bytes;
}

} // namespace kva::fuzz
