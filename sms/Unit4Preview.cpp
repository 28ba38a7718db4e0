// The SMS page's marks: what the recipient's phone will show for each text.
#include "Unit4.h"

#include "FieldMarks.h"
#include "PhonePreview.h"
#include "VrStrEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

kva::FieldNote textNote(const QString& text)
{
    const kva::sms::PhoneView view = kva::sms::phoneView(text);
    return {kva::sms::previewToolTip(view), kva::sms::previewLine(view)};
}

} // namespace

void TForm4::addTextMarks(QGridLayout* rows)
{
    marks_ = new kva::FieldMarks(textNote, this);
    for (int i = 0; i < kva::sms::PairCount; ++i) {
        previews_[i] = marks_->addField(textFields_[i], true);
        rows->addWidget(previews_[i], 2 * i + 2, 2);
    }
    ReplaceDiacritics = marks_->replaceButton();
    rows->addWidget(ReplaceDiacritics, 2 * kva::sms::PairCount + 1, 2, Qt::AlignRight);
}

bool TForm4::isTextMarked(int index) const
{
    return marks_->isMarked(textFields_[index]);
}
