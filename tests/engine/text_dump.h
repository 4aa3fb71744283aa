#pragma once

#include "engine/strip_internal.h"

#include <QString>
#include <string>

namespace quenby::test {

// A text as printable ASCII for failure messages: other units as \uXXXX,
// so that lone surrogates and invisible characters show.
inline std::string dump(const QString& text) {
    std::string out = "\"";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != '"' && u != '\\') {
            out += char(u);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(u >> shift) & 0xF];
        }
    }
    return out + "\"";
}

// A sweep's name for failure messages.
inline const char* nameOf(detail::SweepMode mode) {
    return mode == detail::SweepMode::Fastest ? "fastest" : "one unit at a time";
}

} // namespace quenby::test
