#pragma once

class QLabel;

namespace kva {

// A label that shows a value under a caption of its own (the generated numbers of the
// configuration page): screen readers name it by the caption, which is also its label, and read
// the value it shows as its description, whatever it is at the time.
void nameByCaption(QLabel* value, QLabel* caption);

} // namespace kva
