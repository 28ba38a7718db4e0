#include "KvaResources.h"

#include <QFile>

namespace kva {

QList<int> iconSizes() { return {16, 22, 24, 32, 48, 64, 128, 256}; }

QString iconResource(int size) { return QStringLiteral(":/kva271/icons/kva271-config-%1.png").arg(size); }

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : iconSizes())
        icon.addFile(iconResource(size), QSize(size, size));
    return icon;
}

QStringList helpTextLines()
{
    QFile file(helpTextResource());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the newline ending the last line opens no line of its own
    return lines;
}

} // namespace kva
