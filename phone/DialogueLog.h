#pragma once
// The AT dialogue of this run, for a user's problem report: the last 256 KiB of bytes sent to
// and received from the phone, each chunk with its time. Kept in memory only; written to a
// file only when the user saves it (the phone book holds the user's own numbers).
//
// Thread contract: user-interface thread only.
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>

namespace kva {

class DialogueLog {
public:
    enum class Direction { Sent, Received, Note };
    struct Entry {
        QDateTime time;
        Direction direction;
        QByteArray bytes; // for a note: its UTF-8 text
    };

    static constexpr qsizetype DefaultCapacity = 256 * 1024;

    explicit DialogueLog(qsizetype capacity = DefaultCapacity) : capacity_(capacity) {}

    void sent(const QByteArray& bytes) { add(Direction::Sent, bytes); }
    void received(const QByteArray& bytes) { add(Direction::Received, bytes); }
    // A line of context (e.g. which device is being tried); not part of the dialogue.
    void note(const QString& text) { add(Direction::Note, text.toUtf8()); }
    void clear();

    const std::deque<Entry>& entries() const { return entries_; }
    qsizetype size() const { return size_; } // bytes held

    // The whole log as UTF-8 text: a header, then one line per chunk, e.g.
    //   06:12:55.123 -> AT<CR>
    //   06:12:55.380 <- AT<CR><CR><LF>OK<CR><LF>
    QByteArray text() const;
    // "kva271-zaznam-2026-12-08-061255.txt"
    static QString suggestedFileName(const QDateTime& now);
    // Bytes as a person reads them: printable text as is (Windows-1250 letters converted),
    // <CR>, <LF>, <^Z>, <ESC> and <xHH> for the other control bytes.
    static QString readable(const QByteArray& bytes);

private:
    void add(Direction direction, const QByteArray& bytes);

    qsizetype capacity_;
    qsizetype size_ = 0;
    std::deque<Entry> entries_;
};

// The log of this run, fed by the phone channel and the phone search.
DialogueLog& phoneDialogue();

} // namespace kva
