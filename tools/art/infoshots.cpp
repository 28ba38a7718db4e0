// Saves pictures of the about and help windows for the user documentation.
// Usage: QT_QPA_PLATFORM=offscreen kva-info-shots <output folder>
#include "InfoWidgets.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kva-info-shots <output folder>\n");
        return 2;
    }
    const QDir out(QFile::decodeName(argv[1]));
    TForm2 about;
    TForm3 help;
    about.showAndRaise();
    help.showAndRaise();
    // Stop the credit mid-way so the picture shows it scrolling with both fades.
    about.VrScrollText1->timer()->stop();
    for (int i = 0; i < about.VrScrollText1->width() / 2; ++i)
        about.VrScrollText1->step();
    const bool ok = about.grab().save(out.filePath(QStringLiteral("o-aplikaci.png")), "PNG")
        && help.grab().save(out.filePath(QStringLiteral("napoveda.png")), "PNG");
    if (!ok)
        std::fprintf(stderr, "saving the pictures failed\n");
    return ok ? 0 : 1;
}
