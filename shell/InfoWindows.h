#pragma once

class TForm1;

namespace kva {

// Ties the menu items "Nápověda" and "O aplikaci" to the help and about windows. Each window is
// created, hidden, the first time its item is chosen (nothing of it is seen before), then shown,
// and kept for the whole run, owned by the main window: choosing the item again shows the same
// window in front, with whatever was typed into the help still there. Start-up does not pay for
// the logo and the help text.
void createInfoWindows(TForm1& mainWindow);

} // namespace kva
