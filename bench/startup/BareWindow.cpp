// The floor for the start-up benchmark: a bare Qt Widgets window with one label; with an argument
// WxH the window has that size (the benchmark's second floor: a window as large as the program's).
#include "FirstFrame.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Konfigurace alarmu KVA271"));
    int width = 0;
    int height = 0;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
        label.setFixedSize(width, height);
    kva::exitAtFirstFrameIfAsked(label);
    label.show();
    return app.exec();
}
