#pragma once
#include <QMargins>

class QFont;
class QPaintDevice;
class QWidget;

namespace kva {

// What a line of `font` draws beyond QFontMetrics::ascent() above its baseline and descent()
// below it, in whole pixels (top and bottom; left and right are 0). The accents above capitals
// ("Č", "Ř") reach up to the font's ascent, which QFontMetrics rounds, often down: at 10 px
// DejaVu Sans the ascent is 9.28, ascent() says 9 and the háček of "Č" takes the tenth row. A
// widget just as high as QFontMetrics::height() cuts it off.
QMargins accentOverhang(const QFont& font, const QPaintDevice* device = nullptr);

// Gives every label under `root` (and `root`, if it is one) that has no frame room for that
// overhang in its contents margins, so that the label's size hints, and the layouts, include it.
// Labels made later are not touched. Call once the window's labels exist; calling it again
// changes nothing.
void makeRoomForAccents(QWidget* root);

} // namespace kva
