#pragma once

#include <QString>

#include <stdexcept>

// The settings-file reader and writer. Every call opens the file, works on
// its current content and closes it again; nothing is cached.
namespace quenby {

// A file-system failure, carrying the file's path and the reason in words.
class FileError : public std::runtime_error {
public:
    FileError(const QString& path, const QString& reason);
    const QString& path() const { return m_path; }
    const QString& reason() const { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};

// Makes sure the file exists (created empty when missing, never truncated)
// and is writable for its owner. Throws FileError.
void prepareFile(const QString& path);

// The value of the first key line of the section, or empty when the file,
// the section or the key is missing or the value is empty. Prepares the file
// first. Throws FileError.
QString IniRead(const QString& path, const QString& section, const QString& key);

// Stores key=value in the section, creating the file, section or key as
// needed, and rewrites the whole file atomically. Throws FileError.
void IniWrite(const QString& path, const QString& section, const QString& key,
              const QString& value);

} // namespace quenby
