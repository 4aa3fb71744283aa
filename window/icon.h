#pragma once

#include <QIcon>

namespace quenby {

// The program's icon, window/quenby.svg, as the build renders it for the icon
// theme: one picture at each size installed.
QIcon programIcon();

} // namespace quenby
