// The floor for the start-up benchmark: a bare Qt Widgets window with one label.
#include "FirstFrame.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Konfigurace alarmu KVA271"));
    kva::exitAtFirstFrameIfAsked(label);
    label.show();
    return app.exec();
}
