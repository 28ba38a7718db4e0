#include "DialogueLog.h"

#include "ControlCharacters.h"
#include "Cp1250.h"

namespace kva {

void DialogueLog::add(Direction direction, const QByteArray& bytes)
{
    if (bytes.isEmpty() || capacity_ <= 0)
        return;
    // A chunk larger than the whole ring keeps its end: the latest bytes matter most.
    const QByteArray kept = bytes.size() > capacity_ ? bytes.right(capacity_) : bytes;
    entries_.push_back({QDateTime::currentDateTime(), direction, kept});
    size_ += kept.size();
    while (size_ > capacity_ && !entries_.empty()) {
        Entry& oldest = entries_.front();
        const qsizetype excess = size_ - capacity_;
        if (oldest.bytes.size() > excess) {
            oldest.bytes.remove(0, excess); // the older part of a chunk goes first
            size_ -= excess;
        } else {
            size_ -= oldest.bytes.size();
            entries_.pop_front();
        }
    }
}

void DialogueLog::clear()
{
    entries_.clear();
    size_ = 0;
}

QString DialogueLog::readable(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    QByteArray run; // printable bytes waiting for conversion
    const auto flush = [&] {
        out += fromCp1250(run);
        run.clear();
    };
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (!isControlCharacter(c)) {
            run += ch;
            continue;
        }
        flush();
        switch (c) {
        case '\r': out += QStringLiteral("<CR>"); break;
        case '\n': out += QStringLiteral("<LF>"); break;
        case 0x1a: out += QStringLiteral("<^Z>"); break;
        case 0x1b: out += QStringLiteral("<ESC>"); break;
        default: out += QStringLiteral("<x%1>").arg(QString::number(c, 16).toUpper().rightJustified(2, u'0'));
        }
    }
    flush();
    return out;
}

QByteArray DialogueLog::text() const
{
    QString out = QStringLiteral("Záznam komunikace s telefonem (kva271-config)\n"
                                 "-> odesláno do telefonu, <- přijato z telefonu, -- poznámka\n\n");
    for (const Entry& e : entries_) {
        out += e.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        switch (e.direction) {
        case Direction::Sent: out += QStringLiteral(" -> ") + readable(e.bytes); break;
        case Direction::Received: out += QStringLiteral(" <- ") + readable(e.bytes); break;
        case Direction::Note: out += QStringLiteral(" -- ") + QString::fromUtf8(e.bytes); break;
        }
        out += u'\n';
    }
    return out.toUtf8();
}

QString DialogueLog::suggestedFileName(const QDateTime& now)
{
    return QStringLiteral("kva271-zaznam-%1.txt").arg(now.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

DialogueLog& phoneDialogue()
{
    static DialogueLog log;
    return log;
}

} // namespace kva
