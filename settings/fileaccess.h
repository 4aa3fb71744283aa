#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <chrono>
#include <stdexcept>

// Whole-file access shared by the settings reader and writer and the saved
// texts: every failure becomes a FileError carrying the path and the reason.
//
// The files hold what the user typed, so every file, temporary file and
// lock file this code creates is readable and writable by its owner alone
// (0600).
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

// Makes sure the file exists (created empty and 0600 when missing, never truncated)
// and is writable for its owner (the owner-write bit is added when missing).
// Throws FileError: folder missing, a folder or other non-file in the file's
// place, creation or permission change refused.
void prepareFile(const QString& path);

// How long a writer waits for another running copy of the program to finish
// its rewrite of the same file. A rewrite holds the lock for milliseconds (a
// few hundred for a file of tens of megabytes), so five seconds outwaits any
// honest holder, while the window, which calls this on its one thread, never
// freezes for longer than that before the user is told.
inline constexpr std::chrono::milliseconds kLockWait{5000};

// Throws FileError when something other than a regular file (a folder, a
// pipe, a device) stands at path. A missing path passes.
void requireRegularFileOrNothing(const QString& path);

// The whole content of the file. Throws FileError when the file or its folder
// is missing or the file cannot be read.
QByteArray readFileBytes(const QString& path);

// Replaces the whole content of the file atomically: the bytes go to a new
// 0600 file in the same folder, which is flushed to disk and renamed over
// the file. A crash, a kill or a full disk leaves the old file whole (at worst
// a temporary file stays behind). Throws FileError.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// The advisory lock of one file, held from construction to destruction: the
// lock file path + ".lock" beside it (QLockFile), made 0600. Waits up to `wait` for
// another holder, then throws FileError. A lock left behind by a process that
// no longer runs is taken over at once; so is an empty lock file (its writer
// died between creating and filling it) once it is a second old.
class FileLock {
public:
    explicit FileLock(const QString& path, std::chrono::milliseconds wait = kLockWait);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    QLockFile m_lock;
};

} // namespace quenby
