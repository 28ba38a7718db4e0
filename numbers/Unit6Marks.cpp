// The phone-number page's marks: names a phone may refuse or store otherwise.
#include "Unit6.h"

#include "FieldMarks.h"
#include "NameCharacters.h"
#include "VrStrEdit.h"

#include <QGridLayout>
#include <QPushButton>

void TForm6::addNameMarks(QGridLayout* rows)
{
    marks_ = new kva::FieldMarks([](const QString& name) { return kva::FieldNote{kva::numbers::nameToolTip(name), {}}; }, this,
                                 kva::numbers::plainName);
    for (VrStrEdit* field : nameFields_)
        marks_->addField(field, false);
    ReplaceDiacritics = marks_->replaceButton();
    rows->addWidget(ReplaceDiacritics, kva::numbers::EntryCount, 2, Qt::AlignRight);
}

bool TForm6::isNameMarked(int index) const
{
    return marks_->isMarked(nameFields_[index]);
}
