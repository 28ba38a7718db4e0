#include "JpegImage.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace kva {
namespace {

// libjpeg's default error_exit calls exit(); ours jumps back to the decoder instead.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void failDecode(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// A warning means damaged data (libjpeg pads a truncated file with grey and says so here);
// a damaged logo is refused rather than shown half grey.
void onMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        failDecode(cinfo);
}

void quiet(j_common_ptr) {}

// Everything the jump may cross is plain C data held by the caller, so the longjmp skips no
// C++ destructor.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    QImage* out;
    int maxSide;
};

bool runDecode(DecodeJob& job, const unsigned char* data, unsigned long size)
{
    std::memset(&job.cinfo, 0, sizeof job.cinfo);
    job.cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = failDecode;
    job.err.pub.emit_message = onMessage;
    job.err.pub.output_message = quiet;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_decompress(&job.cinfo);
        return false;
    }
    jpeg_create_decompress(&job.cinfo);
    jpeg_mem_src(&job.cinfo, data, size);
    if (jpeg_read_header(&job.cinfo, TRUE) != JPEG_HEADER_OK)
        failDecode(reinterpret_cast<j_common_ptr>(&job.cinfo));
    if (job.cinfo.image_width > JDIMENSION(job.maxSide) || job.cinfo.image_height > JDIMENSION(job.maxSide))
        failDecode(reinterpret_cast<j_common_ptr>(&job.cinfo));
    job.cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&job.cinfo);
    if (job.cinfo.output_components != 3)
        failDecode(reinterpret_cast<j_common_ptr>(&job.cinfo));
    *job.out = QImage(int(job.cinfo.output_width), int(job.cinfo.output_height), QImage::Format_RGB888);
    if (job.out->isNull())
        failDecode(reinterpret_cast<j_common_ptr>(&job.cinfo));
    while (job.cinfo.output_scanline < job.cinfo.output_height) {
        JSAMPROW row = job.out->scanLine(int(job.cinfo.output_scanline));
        jpeg_read_scanlines(&job.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&job.cinfo);
    jpeg_destroy_decompress(&job.cinfo);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& bytes, int maxSide)
{
    if (bytes.isEmpty())
        return {};
    QImage image;
    DecodeJob job;
    job.out = &image;
    job.maxSide = maxSide;
    if (!runDecode(job, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size())))
        return {};
    return image;
}

QImage loadJpeg(const QString& path, int maxSide)
{
    QFile file(path);
    // A logo is a few kilobytes; a huge file is not one.
    constexpr qint64 kMaxBytes = 16 * 1024 * 1024;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes)
        return {};
    return decodeJpeg(file.read(kMaxBytes), maxSide);
}

} // namespace kva
