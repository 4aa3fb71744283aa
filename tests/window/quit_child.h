#pragma once

#include <QString>

// The input text quit_child is given, for the tests to compare with.
inline QString quitChildText(int lines) {
    return QStringLiteral("a line of the text that is still to be saved\n").repeated(lines);
}
