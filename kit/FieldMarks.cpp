#include "FieldMarks.h"

#include "Transliteration.h"
#include "VrStrEdit.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <utility>

namespace kva {
namespace {

// An amber disc with a white exclamation mark, drawn here so that it looks the same in every
// desktop theme.
QIcon markIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0x80, 0x00));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(13.5, 6, 5, 13), 2, 2);
    p.drawEllipse(QRectF(13.5, 21.5, 5, 5));
    return QIcon(pixmap);
}

// A one-line label that never widens its column: a text longer than the label is drawn cut
// with "…"; text() and the tooltip keep it whole.
class PreviewLine : public QLabel {
public:
    explicit PreviewLine(QWidget* parent) : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = contentsRect();
        style()->drawItemText(&p, r, static_cast<int>(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, r.width()), foregroundRole());
    }
};

} // namespace

FieldMarks::FieldMarks(Check check, QWidget* page, Replace replace)
    : QObject(page), check_(std::move(check)), replace_(replace ? std::move(replace) : Replace(plainText))
{
    button_ = new QPushButton(QStringLiteral("Nahradit diakritiku"), page);
    button_->setObjectName(QStringLiteral("NahraditDiakritiku"));
    button_->hide();
    connect(button_, &QPushButton::clicked, this, [this] { replaceDiacritics(); });
}

QLabel* FieldMarks::addField(VrStrEdit* field, bool withPreview)
{
    Watched w;
    w.field = field;
    w.ownToolTip = field->toolTip();
    w.mark = new QAction(markIcon(), QString(), field);
    if (withPreview) {
        w.preview = new PreviewLine(field->parentWidget());
        w.preview->hide();
    }
    fields_.push_back(w);
    const size_t index = fields_.size() - 1;
    connect(field, &QLineEdit::textChanged, this, [this, index] {
        update(fields_[index]);
        updateButton();
    });
    update(fields_[index]);
    updateButton();
    return w.preview;
}

bool FieldMarks::isMarked(const VrStrEdit* field) const
{
    return std::any_of(fields_.begin(), fields_.end(), [field](const Watched& w) { return w.field == field && w.marked; });
}

void FieldMarks::update(Watched& w)
{
    const FieldNote note = check_(w.field->text());
    const bool marked = !note.toolTip.isEmpty();
    if (marked != w.marked) {
        // The icon takes room from the text only while it is there.
        if (marked)
            w.field->addAction(w.mark, QLineEdit::TrailingPosition);
        else
            w.field->removeAction(w.mark);
        w.marked = marked;
    }
    w.replacement = marked ? replacementOf(w) : QString();
    w.mark->setToolTip(note.toolTip);
    w.field->setToolTip(marked ? note.toolTip : w.ownToolTip);
    w.field->setAccessibleDescription(marked ? note.toolTip : QString());
    if (w.preview) {
        w.preview->setText(note.preview);
        w.preview->setToolTip(note.preview);
        w.preview->setVisible(marked && !note.preview.isEmpty());
    }
}

void FieldMarks::updateButton()
{
    const bool changes = std::any_of(fields_.begin(), fields_.end(), [](const Watched& w) { return !w.replacement.isNull(); });
    button_->setVisible(changes);
}

QString FieldMarks::replacementOf(const Watched& w) const
{
    const QString text = w.field->text();
    // Room for longer forms ("ss", "...") only within the typing limit (or the longer text already there).
    const int limit = w.field->typingLimit() > 0 ? std::max<int>(w.field->typingLimit(), text.size()) : 0;
    const QString plain = replace_(text, limit);
    return plain == text ? QString() : plain;
}

void FieldMarks::replaceDiacritics()
{
    // setText re-examines the field and may drop its entry's replacement: collect them first.
    std::vector<std::pair<VrStrEdit*, QString>> changes;
    for (const Watched& w : fields_)
        if (!w.replacement.isNull())
            changes.emplace_back(w.field, w.replacement);
    for (const auto& [field, plain] : changes)
        field->setText(plain);
}

} // namespace kva
