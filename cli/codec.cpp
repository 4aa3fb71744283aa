#include "cli/codec.h"

#include "engine/windows1252.h"

#include <QChar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quenby::cli {
namespace {

// Widens the ASCII bytes at the start of s[0..n) to units at w, sixteen at a
// time, up to the first block holding a byte from 128 up; returns how many.
qsizetype widenAscii(const char* s, qsizetype n, char16_t* w) {
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(v) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#else
    Q_UNUSED(s);
    Q_UNUSED(n);
    Q_UNUSED(w);
#endif
    return i;
}

// Narrows the ASCII units at the start of s[0..n) to bytes at w, sixteen at a
// time, up to the first block holding a unit from 128 up; returns how many.
qsizetype narrowAscii(const char16_t* s, qsizetype n, char* w) {
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(short(0xFF80));
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i wide = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(wide, _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w + i), _mm_packus_epi16(a, b));
    }
#else
    Q_UNUSED(s);
    Q_UNUSED(n);
    Q_UNUSED(w);
#endif
    return i;
}

// Room for `more` units at the end of out; returns where they go.
char16_t* grow(QString& out, qsizetype more) {
    const qsizetype old = out.size();
    out.resize(old + more);
    return reinterpret_cast<char16_t*>(out.data()) + old;
}

} // namespace

Utf8Decoded decodeUtf8Prefix(const char* bytes, qsizetype size, QString& out) {
    const qsizetype start = out.size();
    // Every byte gives at most one unit (four bytes give two).
    char16_t* const begin = grow(out, size);
    char16_t* w = begin;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    Utf8Decoded result;
    qsizetype i = 0;
    while (i < size) {
        const qsizetype ascii = widenAscii(bytes + i, size - i, w);
        i += ascii;
        w += ascii;
        if (i >= size)
            break;
        const unsigned c = s[i];
        if (c < 0x80) {
            *w++ = char16_t(c);
            ++i;
            continue;
        }
        // The lead byte decides the length and the range of the second byte.
        int length = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            cp = c & 0x0F;
            low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
            high = c == 0xED ? 0x9F : 0xBF; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            cp = c & 0x07;
            low = c == 0xF0 ? 0x90 : 0x80;  // no overlong forms
            high = c == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
        } else {
            result.invalid = true;
            break;
        }
        bool cut = false;
        for (int k = 1; k < length; ++k) {
            if (i + k >= size) {
                cut = true;
                break;
            }
            const unsigned d = s[i + k];
            if (d < low || d > high) {
                result.invalid = true;
                break;
            }
            low = 0x80;
            high = 0xBF;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cut || result.invalid)
            break;
        if (cp >= 0x10000) {
            *w++ = QChar::highSurrogate(cp);
            *w++ = QChar::lowSurrogate(cp);
        } else {
            *w++ = char16_t(cp);
        }
        i += length;
    }
    out.resize(start + (w - begin));
    result.consumed = i;
    return result;
}

void decodeWindows1252(const char* bytes, qsizetype size, QString& out) {
    char16_t* w = grow(out, size);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    for (qsizetype i = 0; i < size;) {
        const qsizetype ascii = widenAscii(bytes + i, size - i, w + i);
        i += ascii;
        if (i < size) {
            w[i] = windows1252ToUnicode(s[i]);
            ++i;
        }
    }
}

void encodeUtf8(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    // A unit takes at most three bytes (a pair, two units, takes four).
    out.resize(start + 3 * text.size());
    char* const begin = out.data() + start;
    char* w = begin;
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype ascii = narrowAscii(s + i, n - i, w);
        i += ascii;
        w += ascii;
        if (i >= n)
            break;
        char32_t cp = s[i++];
        if (cp < 0x80) {
            *w++ = char(cp);
            continue;
        }
        if (cp < 0x800) {
            *w++ = char(0xC0 | (cp >> 6));
            *w++ = char(0x80 | (cp & 0x3F));
            continue;
        }
        if (QChar::isSurrogate(cp)) {
            if (QChar::isHighSurrogate(cp) && i < n && QChar::isLowSurrogate(s[i])) {
                cp = QChar::surrogateToUcs4(char16_t(cp), s[i++]);
                *w++ = char(0xF0 | (cp >> 18));
                *w++ = char(0x80 | ((cp >> 12) & 0x3F));
                *w++ = char(0x80 | ((cp >> 6) & 0x3F));
                *w++ = char(0x80 | (cp & 0x3F));
                continue;
            }
            cp = QChar::ReplacementCharacter;
        }
        *w++ = char(0xE0 | (cp >> 12));
        *w++ = char(0x80 | ((cp >> 6) & 0x3F));
        *w++ = char(0x80 | (cp & 0x3F));
    }
    out.resize(start + (w - begin));
}

} // namespace quenby::cli
