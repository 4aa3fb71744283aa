#pragma once

#include <QByteArray>
#include <QString>

// The settings-file reader and writer. Every call opens the file, works on
// its current content and closes it again; nothing is cached. Each line is
// read as UTF-8, or as Windows-1252 when its bytes are not valid UTF-8
// (settings/encoding.h), and files are written as UTF-8 with CR LF line ends
// and no byte-order mark. The format rules are those of settings/initext.h.
namespace quenby {

class LockPolicy;

// A settings file's content, decoded once, for reading many keys from one
// read of the file; value() gives what IniRead gives for the same bytes.
class IniContent {
public:
    explicit IniContent(const QByteArray& fileBytes);
    QString value(const QString& section, const QString& key) const;

private:
    QByteArray m_text; // the content as UTF-8
};

// The value of the first key line of the section, or empty when the file,
// the section or the key is missing or the value is empty. Prepares the file
// first. Throws FileError, also when the file is too large to read.
QString IniRead(const QString& path, const QString& section, const QString& key);

// Stores key=value in the section, creating the file, section or key as
// needed, and rewrites the whole file atomically. The whole read-modify-write
// holds the file's advisory lock (settings/fileaccess.h), so two running
// copies of the program never lose each other's update. Lines in
// Windows-1252 are rewritten as UTF-8; lines of valid UTF-8 keep their bytes.
// Throws FileError, also when the lock cannot be had within the wait the
// policy allows.
void IniWrite(const QString& path, const QString& section, const QString& key, const QString& value,
              LockPolicy& lockPolicy);
// The same, for a single write: it may wait up to kLockWait for the lock.
void IniWrite(const QString& path, const QString& section, const QString& key,
              const QString& value);

} // namespace quenby
