#include "TextRoom.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace kva {

QMargins accentOverhang(const QFont& font, const QPaintDevice* device)
{
    QPaintDevice* pd = const_cast<QPaintDevice*>(device);
    const QFontMetrics fm = pd ? QFontMetrics(font, pd) : QFontMetrics(font);
    const QFontMetricsF fmf = pd ? QFontMetricsF(font, pd) : QFontMetricsF(font);
    const int above = std::max(0, static_cast<int>(std::ceil(fmf.ascent())) - fm.ascent());
    const int below = std::max(0, static_cast<int>(std::ceil(fmf.descent())) - fm.descent());
    return {0, above, 0, below};
}

void makeRoomForAccents(QWidget* root)
{
    QList<QLabel*> labels = root->findChildren<QLabel*>();
    if (auto* self = qobject_cast<QLabel*>(root))
        labels.prepend(self);
    for (QLabel* label : labels) {
        if (label->frameWidth() > 0)
            continue; // a framed label keeps its text inside the frame with its own padding
        const QMargins need = accentOverhang(label->font(), label);
        const QMargins has = label->contentsMargins();
        label->setContentsMargins(has.left(), std::max(has.top(), need.top()), has.right(),
                                  std::max(has.bottom(), need.bottom()));
    }
}

} // namespace kva
