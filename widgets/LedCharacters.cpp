#include "widgets/LedCharacters.h"

namespace tamsel {

uint16_t ledCharacterPattern(char32_t c)
{
    if (c >= U'a' && c <= U'z')
        c = c - U'a' + U'A';
    // clang-format off
    switch (c) {
    case U'0': return 0x1277; // the zero carries a diagonal, unlike the letter O
    case U'1': case U'I': return 0x0180;
    case U'2': return 0x005D;
    case U'3': return 0x006D;
    case U'4': return 0x002E;
    case U'5': case U'S': return 0x006B;
    case U'6': case U'G': return 0x007B;
    case U'7': return 0x0025;
    case U'8': return 0x007F;
    case U'9': return 0x006F;
    case U'A': return 0x003F;
    case U'B': return 0x01ED;
    case U'C': case U'[': return 0x0053;
    case U'D': return 0x01E5;
    case U'E': return 0x005B;
    case U'F': return 0x001B;
    case U'H': return 0x003E;
    case U'J': return 0x0074;
    case U'K': return 0x141A;
    case U'L': return 0x0052;
    case U'M': return 0x0636;
    case U'N': return 0x1236;
    case U'O': return 0x0077;
    case U'P': return 0x001F;
    case U'Q': return 0x1077;
    case U'R': return 0x101F;
    case U'T': return 0x0181;
    case U'U': return 0x0076;
    case U'V': return 0x0C12;
    case U'W': return 0x1836;
    case U'X': return 0x1E00;
    case U'Y': return 0x0700;
    case U'Z': return 0x0C41;
    case U'(': return 0x1400;
    case U')': return 0x0A00;
    case U'*': return 0x1F80;
    case U'+': return 0x0188;
    case U'-': return 0x0008;
    case U'.': return 0x8000;
    case U':': return 0xA000;
    case U'\\': return 0x1200;
    case U']': return 0x0065;
    case U'_': return 0x0040;
    default: return 0;
    }
    // clang-format on
}

} // namespace tamsel
