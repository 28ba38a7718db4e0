#include "JpegImage.h"
#include "KvaResources.h"
#include "TempDir.h"

#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>

namespace {

QByteArray logoBytes()
{
    QFile file(kva::logoResource());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// A small JPEG made here, so colour spaces and progressive coding can be varied.
QByteArray encode(int width, int height, int components, J_COLOR_SPACE space, bool progressive = false)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(width * components));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * components; ++x)
            row[size_t(x)] = static_cast<unsigned char>(y < height / 2 ? 40 : 220);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

// Offset of the byte after the marker FF xx, or -1.
qsizetype markerEnd(const QByteArray& bytes, unsigned char marker)
{
    const qsizetype at = bytes.indexOf(QByteArray("\xff", 1) + char(marker));
    return at < 0 ? -1 : at + 2;
}

} // namespace

TEST(JpegImage, DecodesTheLogoTo100x120)
{
    const QImage logo = kva::loadJpeg(kva::logoResource());
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(100, 120));
    // Silver outside the rounded badge, dark blue inside it.
    const QColor corner = logo.pixelColor(0, 0);
    EXPECT_NEAR(corner.red(), 0xc0, 12);
    EXPECT_NEAR(corner.blue(), 0xc0, 12);
    const QColor badge = logo.pixelColor(6, 60);
    EXPECT_GT(badge.blue(), badge.red() + 60);
}

TEST(JpegImage, DecodesGreyscaleAndProgressiveIntoRgb)
{
    const QImage grey = kva::decodeJpeg(encode(16, 8, 1, JCS_GRAYSCALE));
    ASSERT_EQ(grey.size(), QSize(16, 8));
    EXPECT_NEAR(grey.pixelColor(3, 1).green(), 40, 6);
    EXPECT_NEAR(grey.pixelColor(3, 6).red(), 220, 6);

    const QImage progressive = kva::decodeJpeg(encode(33, 17, 3, JCS_RGB, true));
    EXPECT_EQ(progressive.size(), QSize(33, 17));
}

TEST(JpegImage, RefusesEveryTruncationOfTheLogo)
{
    const QByteArray logo = logoBytes();
    ASSERT_GT(logo.size(), 1000);
    int decoded = 0;
    for (qsizetype cut = 0; cut < logo.size(); ++cut)
        decoded += kva::decodeJpeg(logo.left(cut)).isNull() ? 0 : 1;
    EXPECT_EQ(decoded, 0);
}

TEST(JpegImage, RefusesGarbageAndDamagedHeaders)
{
    EXPECT_TRUE(kva::decodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(kva::decodeJpeg(QByteArray("not a picture at all")).isNull());
    EXPECT_TRUE(kva::decodeJpeg(QByteArray(4096, '\xff')).isNull());
    EXPECT_TRUE(kva::decodeJpeg(QByteArray("\xff\xd8", 2) + QByteArray(3000, 'x')).isNull());

    const QByteArray logo = logoBytes();
    const qsizetype sof = markerEnd(logo, 0xc0);
    ASSERT_GT(sof, 0);
    QByteArray noWidth = logo; // SOF0: length(2) precision(1) height(2) width(2)
    noWidth[sof + 5] = 0;
    noWidth[sof + 6] = 0;
    EXPECT_TRUE(kva::decodeJpeg(noWidth).isNull());

    QByteArray badHuffman = logo;
    const qsizetype dht = markerEnd(logo, 0xc4);
    ASSERT_GT(dht, 0);
    badHuffman[dht + 2] = char(0x7f); // table class/id out of range
    EXPECT_TRUE(kva::decodeJpeg(badHuffman).isNull());

    // CMYK cannot be turned into RGB by the decoder: refused, not guessed.
    EXPECT_TRUE(kva::decodeJpeg(encode(8, 8, 4, JCS_CMYK)).isNull());
}

TEST(JpegImage, RefusesPicturesBeyondTheSizeLimit)
{
    const QByteArray logo = logoBytes();
    EXPECT_FALSE(kva::decodeJpeg(logo, 120).isNull());
    EXPECT_TRUE(kva::decodeJpeg(logo, 119).isNull());
    EXPECT_TRUE(kva::decodeJpeg(logo, 99).isNull());
}

TEST(JpegImage, MissingOrUnreadableFilesGiveAnEmptyPicture)
{
    TempDir dir;
    EXPECT_TRUE(kva::loadJpeg(dir.path("absent.jpg")).isNull());
    EXPECT_TRUE(kva::loadJpeg(dir.root()).isNull());
    dir.write("empty.jpg", QByteArray());
    EXPECT_TRUE(kva::loadJpeg(dir.path("empty.jpg")).isNull());
    dir.write("half.jpg", logoBytes().left(logoBytes().size() / 2));
    EXPECT_TRUE(kva::loadJpeg(dir.path("half.jpg")).isNull());
    dir.write("whole.jpg", logoBytes());
    EXPECT_EQ(kva::loadJpeg(dir.path("whole.jpg")).size(), QSize(100, 120));
}
