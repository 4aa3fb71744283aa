#pragma once

#include <QString>

// Characters as whole code points: a surrogate pair is one character and is
// never split; a lone surrogate is a character of its own.
namespace quenby {

// The first character of text; empty stays empty.
QString firstCharacter(const QString& text);

} // namespace quenby
