#include "settings/programfolder.h"

#include <QFile>
#include <QStandardPaths>
#include <unistd.h>

namespace quenby {

QString joinPath(const QString& folder, const QString& fileName) {
    return folder + QLatin1Char('/') + fileName;
}

QString programFolder(const QString& executableDir) {
    if (::access(QFile::encodeName(executableDir).constData(), W_OK) == 0)
        return executableDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

} // namespace quenby
