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

namespace {

// /usr holds installed programs and their data, which a running program never
// changes (packages own them; root may write there, but should not). Links are
// followed, so /bin/quenby is found under /usr too where /bin is /usr/bin.
bool isUnderUsr(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString path = QDir::cleanPath(canonical.isEmpty() ? folder : canonical);
    return path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
}

} // namespace

QString programFolder(const QString& executableDir) {
    if (!isUnderUsr(executableDir) &&
        ::access(QFile::encodeName(executableDir).constData(), W_OK) == 0)
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
