#include "LineFile.h"

#include "Cp1250.h"
#include "KvaError.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kva {
namespace {

constexpr char CtrlZ = 26;

QString ioErrorText(int err, const QString& path, const QString& detail = {})
{
    const QString why = detail.isEmpty() ? QString::fromLocal8Bit(std::strerror(err)) : detail;
    return QStringLiteral("I/O error %1\n%2: %3").arg(err).arg(why, path);
}

// Collects lines from a stream of bytes until `count` lines are complete or Ctrl-Z is met.
class LineSplitter {
public:
    explicit LineSplitter(int count) : count_(count) {}

    // Returns false once no more input is wanted.
    bool feed(const char* data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            const char c = data[i];
            if (c == CtrlZ) {
                finishLine();
                done_ = true;
                return false;
            }
            if (afterCr_ && c == '\n') { // second half of CR LF
                afterCr_ = false;
                continue;
            }
            afterCr_ = false;
            if (c == '\r' || c == '\n') {
                afterCr_ = c == '\r';
                endLine();
                if (done_)
                    return false;
                continue;
            }
            if (current_.size() < MaxLineLength)
                current_.append(c);
            pending_ = true;
        }
        return true;
    }

    QStringList finish()
    {
        if (!done_)
            finishLine();
        while (lines_.size() < count_)
            lines_.append(QString());
        return lines_;
    }

private:
    void endLine()
    {
        lines_.append(fromCp1250(current_));
        current_.clear();
        pending_ = false;
        done_ = lines_.size() >= count_;
    }
    void finishLine()
    {
        if (pending_ && lines_.size() < count_)
            endLine();
    }

    int count_;
    QStringList lines_;
    QByteArray current_;
    bool pending_ = false;
    bool afterCr_ = false;
    bool done_ = false;
};

} // namespace

QStringList splitLines(const QByteArray& bytes, int count)
{
    LineSplitter splitter(count);
    if (count > 0)
        splitter.feed(bytes.constData(), static_cast<size_t>(bytes.size()));
    return splitter.finish();
}

QStringList readLineFile(const QString& path, int count)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(ioErrorText(errno, path));
    LineSplitter splitter(count);
    char buffer[16384];
    bool wanted = count > 0;
    while (wanted) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw FileError(ioErrorText(err, path));
        }
        if (n == 0)
            break;
        wanted = splitter.feed(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return splitter.finish();
}

void writeLineFile(const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += toCp1250(line);
        bytes += "\r\n";
    }
    writeBytesFile(path, bytes);
}

void writeBytesFile(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo(path).isDir())
        throw FileError(ioErrorText(EISDIR, path));
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(ioErrorText(errno ? errno : EIO, path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const int err = errno ? errno : EIO;
        const QString why = file.errorString();
        file.cancelWriting();
        throw FileError(ioErrorText(err, path, why));
    }
    errno = 0;
    if (!file.commit())
        throw FileError(ioErrorText(errno ? errno : EIO, path, file.errorString()));
}

} // namespace kva
