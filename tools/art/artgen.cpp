// Writes the application's own artwork: the about-box logo (JPEG), the SVG icon and its PNG sizes.
// Usage: kva-artgen <output folder>
#include "Monogram.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <jpeglib.h>

namespace {

bool writeJpeg(const QImage& source, const QString& path)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr); // a fault here is a tool fault: the default exit is acceptable
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

QImage render(int width, int height, void (*paint)(QPainter&), double unitWidth)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(width / unitWidth, width / unitWidth);
    paint(p);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kva-artgen <output folder>\n");
        return 2;
    }
    const QDir out(QFile::decodeName(argv[1]));
    if (!QDir().mkpath(out.filePath(QStringLiteral("icons")))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = writeJpeg(render(100, 120, kva::art::paintLogo, 100), out.filePath(QStringLiteral("logo.jpg")));
    QFile svg(out.filePath(QStringLiteral("icons/kva271-config.svg")));
    ok = ok && svg.open(QIODevice::WriteOnly) && svg.write(kva::art::iconSvg().toUtf8()) > 0;
    svg.close();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString name = QStringLiteral("icons/kva271-config-%1.png").arg(size);
        ok = ok && render(size, size, kva::art::paintIcon, 100).save(out.filePath(name), "PNG");
    }
    if (!ok) {
        std::fprintf(stderr, "writing the artwork failed\n");
        return 1;
    }
    return 0;
}
