#include "engine/windows1252.h"

#include <iterator>

namespace quenby {
namespace {

// The characters of codes 128 to 159, in code order.
constexpr char16_t kFrom128[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t windows1252ToUnicode(unsigned char byte) {
    if (byte >= 128 && byte < 160)
        return kFrom128[byte - 128];
    return byte;
}

int windows1252Code(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return int(codePoint);
    for (int k = 0; k < int(std::size(kFrom128)); ++k)
        if (kFrom128[k] == codePoint)
            return 128 + k;
    return -1;
}

} // namespace quenby
