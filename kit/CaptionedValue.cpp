#include "CaptionedValue.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace kva {
namespace {

const char* const CaptionedValueProperty = "kvaCaptionedValue";

class CaptionedValueAccessible : public QAccessibleWidget {
public:
    explicit CaptionedValueAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t); // the name is the caption
    }
};

QAccessibleInterface* captionedValueAccessible(const QString& /*className*/, QObject* object)
{
    if (auto* label = qobject_cast<QLabel*>(object); label && label->property(CaptionedValueProperty).toBool())
        return new CaptionedValueAccessible(label);
    return nullptr;
}

} // namespace

void nameByCaption(QLabel* value, QLabel* caption)
{
    static const bool factoryInstalled = (QAccessible::installFactory(captionedValueAccessible), true);
    Q_UNUSED(factoryInstalled);
    value->setProperty(CaptionedValueProperty, true);
    value->setAccessibleName(caption->text());
    caption->setBuddy(value);
}

} // namespace kva
