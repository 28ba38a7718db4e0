#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace kva {

// Decodes a baseline or progressive JPEG with libjpeg into an RGB image. Anything libjpeg reports
// as an error or a warning (bad markers, truncated data, unsupported colour space), an empty input
// or a picture larger than maxSide in either direction gives a null image; libjpeg is never allowed
// to end the program.
QImage decodeJpeg(const QByteArray& bytes, int maxSide = 4096);

// Reads the file (a Qt resource path works too) and decodes it; a missing or unreadable file
// gives a null image.
QImage loadJpeg(const QString& path, int maxSide = 4096);

} // namespace kva
