#include "Cp1250.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>
#include <vector>

namespace kva {
namespace {

// The 256-entry decode table is built once from iconv; encoding uses its inverse.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::vector<short> fromUnicode = std::vector<short>(65536, -1); // byte, or -1 when unmappable

    Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert from WINDOWS-1250");
        for (int b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            char out[8] = {};
            char* inp = &in;
            char* outp = out;
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
            if (r == static_cast<size_t>(-1) || outLeft != sizeof out - 2) {
                toUnicode[b] = static_cast<char16_t>(b);
            } else {
                toUnicode[b] = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                     (static_cast<unsigned char>(out[1]) << 8));
            }
        }
        iconv_close(cd);
        for (int b = 0; b < 256; ++b)
            fromUnicode[toUnicode[b]] = static_cast<short>(b);
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

} // namespace

QString fromCp1250(const QByteArray& bytes)
{
    const Tables& t = tables();
    QString out;
    out.resize(bytes.size());
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(t.toUnicode[static_cast<unsigned char>(bytes[i])]);
    return out;
}

QByteArray toCp1250(const QString& text)
{
    const Tables& t = tables();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one character outside the BMP, one '?'
        else if (t.fromUnicode[c] >= 0) {
            out.append(static_cast<char>(t.fromUnicode[c]));
            continue;
        }
        out.append('?');
    }
    return out;
}

} // namespace kva
