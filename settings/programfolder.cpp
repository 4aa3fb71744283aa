#include "settings/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
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

void makeProgramFolder(const QString& folder) {
    if (QFileInfo::exists(folder))
        return;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
}

} // namespace quenby
