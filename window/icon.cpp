#include "window/icon.h"

#include <QDirIterator>

namespace quenby {

QIcon programIcon() {
    QIcon icon;
    // The renderings sit in the resources as hicolor/SIZE/apps/quenby.png.
    QDirIterator it(QStringLiteral(":/hicolor"), {QStringLiteral("quenby.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        icon.addFile(it.next());
    return icon;
}

} // namespace quenby
