#pragma once
#include <QString>

class QPainter;

// The "KVA" monogram drawn from one set of strokes, so the SVG icon, the PNG icons and the
// about-box logo stay alike. Coordinates are in a 100-unit-wide design space.
namespace kva::art {

// The square application icon (100 x 100 units), painted with the painter's current transform.
void paintIcon(QPainter& painter);

// The same icon as a standalone SVG document.
QString iconSvg();

// The about-box logo (100 x 120 units), opaque.
void paintLogo(QPainter& painter);

} // namespace kva::art
