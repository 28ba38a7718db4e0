#include "GsmAlphabet.h"

namespace kva {
namespace {

// TS 23.038 6.2.1, row by row of eight septets.
constexpr char16_t DefaultAlphabet[128] = {
    u'@',    u'£',    u'$',    u'¥',    u'è',    u'é',    u'ù',    u'ì',    // 0x00
    u'ò',    u'Ç',    u'\n',   u'Ø',    u'ø',    u'\r',   u'Å',    u'å',    // 0x08
    u'Δ',    u'_',    u'Φ',    u'Γ',    u'Λ',    u'Ω',    u'Π',    u'Ψ',    // 0x10
    u'Σ',    u'Θ',    u'Ξ',    u' ',    u'Æ',    u'æ',    u'ß',    u'É',    // 0x18, 0x1B escape
    u' ',    u'!',    u'"',    u'#',    u'¤',    u'%',    u'&',    u'\'',   // 0x20
    u'(',    u')',    u'*',    u'+',    u',',    u'-',    u'.',    u'/',    // 0x28
    u'0',    u'1',    u'2',    u'3',    u'4',    u'5',    u'6',    u'7',    // 0x30
    u'8',    u'9',    u':',    u';',    u'<',    u'=',    u'>',    u'?',    // 0x38
    u'¡',    u'A',    u'B',    u'C',    u'D',    u'E',    u'F',    u'G',    // 0x40
    u'H',    u'I',    u'J',    u'K',    u'L',    u'M',    u'N',    u'O',    // 0x48
    u'P',    u'Q',    u'R',    u'S',    u'T',    u'U',    u'V',    u'W',    // 0x50
    u'X',    u'Y',    u'Z',    u'Ä',    u'Ö',    u'Ñ',    u'Ü',    u'§',    // 0x58
    u'¿',    u'a',    u'b',    u'c',    u'd',    u'e',    u'f',    u'g',    // 0x60
    u'h',    u'i',    u'j',    u'k',    u'l',    u'm',    u'n',    u'o',    // 0x68
    u'p',    u'q',    u'r',    u's',    u't',    u'u',    u'v',    u'w',    // 0x70
    u'x',    u'y',    u'z',    u'ä',    u'ö',    u'ñ',    u'ü',    u'à',    // 0x78
};

} // namespace

QChar GsmDisplayChar(quint8 septet)
{
    return QChar(DefaultAlphabet[septet & 0x7F]);
}

QChar GsmEscapedDisplayChar(quint8 septet)
{
    switch (septet & 0x7F) {
    case 0x0A:
        return QChar(u'\f'); // page break
    case 0x14:
        return QChar(u'^');
    case 0x28:
        return QChar(u'{');
    case 0x29:
        return QChar(u'}');
    case 0x2F:
        return QChar(u'\\');
    case 0x3C:
        return QChar(u'[');
    case 0x3D:
        return QChar(u'~');
    case 0x3E:
        return QChar(u']');
    case 0x40:
        return QChar(u'|');
    case 0x65:
        return QChar(u'€');
    default:
        return GsmDisplayChar(septet);
    }
}

} // namespace kva
