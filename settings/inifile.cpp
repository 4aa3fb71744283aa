#include "settings/inifile.h"

#include "settings/encoding.h"
#include "settings/fileaccess.h"
#include "settings/initext.h"

#include <new>

namespace quenby {

IniContent::IniContent(const QByteArray& fileBytes) : m_text(toUtf8FileBytes(fileBytes)) {}

QString IniContent::value(const QString& section, const QString& key) const {
    const std::optional<QByteArray> value = findIniValue(m_text, section.toUtf8(), key.toUtf8());
    return value ? decodeUtf8(*value) : QString();
}

QString IniRead(const QString& path, const QString& section, const QString& key) {
    prepareFile(path);
    try {
        return IniContent(readFileBytes(path)).value(section, key);
    } catch (const std::bad_alloc&) {
        throw outOfMemory(path);
    }
}

void IniWrite(const QString& path, const QString& section, const QString& key, const QString& value,
              LockPolicy& lockPolicy) {
    prepareFile(path);
    const FileLock lock(path, lockPolicy);
    try {
        const QByteArray text = toUtf8FileBytes(readFileBytes(path));
        writeFileAtomically(path,
                            storeIniValue(text, section.toUtf8(), key.toUtf8(), value.toUtf8()));
    } catch (const std::bad_alloc&) {
        throw outOfMemory(path);
    }
}

void IniWrite(const QString& path, const QString& section, const QString& key,
              const QString& value) {
    LockPolicy lockPolicy;
    IniWrite(path, section, key, value, lockPolicy);
}

} // namespace quenby
