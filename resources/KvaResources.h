#pragma once
#include <QIcon>
#include <QString>
#include <QStringList>

// The files compiled into the program: the about-box logo, the help text and the icon.
namespace kva {

inline QString logoResource() { return QStringLiteral(":/kva271/logo.jpg"); }
inline QString helpTextResource() { return QStringLiteral(":/kva271/help.txt"); }

// Pixel sizes of the PNG icons (also installed into the hicolor theme).
QList<int> iconSizes();
QString iconResource(int size);

// The window icon with every PNG size.
QIcon applicationIcon();

// The help text's lines (UTF-8, one per line in the file, blanks kept); empty when missing.
QStringList helpTextLines();

} // namespace kva
