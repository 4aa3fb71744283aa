#include "engine/codepoints.h"

namespace quenby {

QString firstCharacter(const QString& text) {
    if (text.size() >= 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return text.left(2);
    return text.left(1);
}

} // namespace quenby
