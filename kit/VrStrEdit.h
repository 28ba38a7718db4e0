#pragma once
#include <QLineEdit>

// The single-line edit field of every page.
//
// The typing limit holds back what the user types, pastes or drops; text put in by the program
// (a loaded file, a phone reply) is shown whole however long it is. While such a longer text is
// in the field the user may edit it but not make it longer; once it is no longer than the
// limit, the limit applies again.
//
// Control characters (below 32: CR, LF, Ctrl-Z, ESC ...) never enter the field: typed or pasted
// ones are dropped, ones in a text set by the program become blanks, so a file line or a command
// built from the field can never be split or cut short by them.
class VrStrEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit VrStrEdit(int typingLimit = 0, QWidget* parent = nullptr);

    // 0 means no limit.
    void setTypingLimit(int limit);
    int typingLimit() const { return typingLimit_; }

    // Hides QLineEdit::setText: takes the text whole (no cut at the typing limit) and turns
    // control characters into blanks. Call it through a VrStrEdit pointer.
    void setText(const QString& text);

    static QString withoutControlCharacters(const QString& text, QChar replacement);

protected:
    bool event(QEvent* e) override;

private:
    void applyLimit(int maxLength);

    int typingLimit_ = 0;
};
