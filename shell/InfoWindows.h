#pragma once

class TForm1;
class TForm2;
class TForm3;

namespace kva {

struct InfoWindows {
    TForm2* about = nullptr;
    TForm3* help = nullptr;
};

// Creates the about and help windows, hidden and owned by the main window for the whole run, and
// ties them to the menu items "O aplikaci" and "Nápověda".
InfoWindows createInfoWindows(TForm1& mainWindow);

} // namespace kva
