#include "settings/inifile.h"

#include "settings/encoding.h"
#include "settings/fileaccess.h"
#include "settings/initext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quenby {

FileError::FileError(const QString& path, const QString& reason)
    : std::runtime_error((path + QStringLiteral(": ") + reason).toStdString()), m_path(path),
      m_reason(reason) {}

void prepareFile(const QString& path) {
    requireRegularFileOrNothing(path);
    QFile file(path);
    if (file.exists()) {
        const QFileDevice::Permissions permissions = file.permissions();
        if (!(permissions & QFileDevice::WriteOwner) &&
            !file.setPermissions(permissions | QFileDevice::WriteOwner))
            throw FileError(path,
                            QStringLiteral("cannot make the file writable: ") + file.errorString());
        return;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    if (!folder.exists())
        throw FileError(path, QStringLiteral("the folder %1 does not exist").arg(folder.path()));
    // Append never truncates, should another program create the file meanwhile.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw FileError(path, QStringLiteral("cannot create the file: ") + file.errorString());
}

QString IniRead(const QString& path, const QString& section, const QString& key) {
    prepareFile(path);
    const QByteArray text = toUtf8FileBytes(readFileBytes(path));
    const std::optional<QByteArray> value = findIniValue(text, section.toUtf8(), key.toUtf8());
    return value ? decodeUtf8(*value) : QString();
}

void IniWrite(const QString& path, const QString& section, const QString& key,
              const QString& value) {
    prepareFile(path);
    const FileLock lock(path);
    const QByteArray text = toUtf8FileBytes(readFileBytes(path));
    writeFileAtomically(path, storeIniValue(text, section.toUtf8(), key.toUtf8(), value.toUtf8()));
}

} // namespace quenby
