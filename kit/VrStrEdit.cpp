#include "VrStrEdit.h"

#include <QEvent>
#include <QValidator>

namespace {

constexpr int Unlimited = 32767; // QLineEdit's own default maximum

bool isControl(QChar c)
{
    return c.unicode() < 32;
}

// Drops control characters that the user's edit brought in (typing, paste, drag and drop,
// input method). QLineEdit itself only refuses non-printable keys.
class NoControlCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int newPos = pos;
        for (int i = 0; i < input.size(); ++i) {
            if (isControl(input[i])) {
                if (i < pos)
                    --newPos;
                continue;
            }
            kept += input[i];
        }
        if (kept.size() != input.size()) {
            input = kept;
            pos = newPos;
        }
        return Acceptable;
    }
};

} // namespace

VrStrEdit::VrStrEdit(int typingLimit, QWidget* parent) : QLineEdit(parent)
{
    setValidator(new NoControlCharacters(this));
    setTypingLimit(typingLimit);
}

void VrStrEdit::setTypingLimit(int limit)
{
    typingLimit_ = limit > 0 ? limit : 0;
    applyLimit(typingLimit_ > 0 ? std::max<int>(typingLimit_, text().size()) : Unlimited);
}

void VrStrEdit::setText(const QString& text)
{
    const QString clean = withoutControlCharacters(text, QChar(u' '));
    // QLineEdit cuts a set text at maxLength, so raise it first to keep the text whole.
    const int needed = typingLimit_ > 0 ? std::max<int>(typingLimit_, clean.size()) : std::max<int>(Unlimited, clean.size());
    if (maxLength() != needed)
        QLineEdit::setMaxLength(needed);
    QLineEdit::setText(clean);
}

QString VrStrEdit::withoutControlCharacters(const QString& text, QChar replacement)
{
    QString out = text;
    for (QChar& c : out)
        if (isControl(c))
            c = replacement;
    return out;
}

void VrStrEdit::applyLimit(int maxLength)
{
    if (maxLength == this->maxLength())
        return;
    // QLineEdit::setMaxLength re-sets the text, which moves the cursor and drops the selection;
    // put them back so the user does not notice.
    const int cursor = cursorPosition();
    const int selStart = selectionStart();
    const int selLength = selectedText().size();
    QLineEdit::setMaxLength(maxLength);
    if (selStart >= 0 && selLength > 0) {
        if (cursor == selStart)
            setSelection(selStart + selLength, -selLength);
        else
            setSelection(selStart, selLength);
    } else {
        setCursorPosition(cursor);
    }
}

bool VrStrEdit::event(QEvent* e)
{
    // Before any user edit: a long programmatic text that has been shortened to the limit or
    // below gets the plain limit back. Done here, outside QLineEdit's change handling.
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (typingLimit_ > 0 && maxLength() > typingLimit_)
            applyLimit(std::max<int>(typingLimit_, text().size()));
        break;
    default:
        break;
    }
    return QLineEdit::event(e);
}
