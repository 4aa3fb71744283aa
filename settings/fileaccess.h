#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>
#include <stdexcept>

// Whole-file access shared by the settings reader and writer and the saved
// texts: every failure becomes a FileError carrying the path and the reason.
//
// The files hold what the user typed, so every file, temporary file and
// lock file this code creates is readable and writable by its owner alone
// (0600). A path that is a symbolic link is followed only when the link and
// the file it leads to belong to the user running the program (settings
// kept in a dotfiles folder); any other link is neither read nor written
// through, and nothing here changes the mode of a file that belongs to
// somebody else. In a folder that others may write (world-writable, or
// sticky and not the user's), a file of another user is refused too: its
// owner could swap it for a link at any moment.
//
// The name is checked once; the folder of the file it stands for is then
// held open, and the file is read, created, replaced and locked only
// relative to that folder, never by its path again (fileplace.h), so a link
// swapped in after the check is refused or replaced, never followed.
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

// The largest file that is read or written: a settings or saved-texts file
// beyond it (a sparse file of many gigabytes, a file grown by hand) is
// refused with a FileError naming the bound instead of being read into
// memory, which would end the program.
inline constexpr qint64 kMaxFileBytes = qint64(1) << 30;

// The FileError for path when working on it needed more memory than the
// system gave (std::bad_alloc).
FileError outOfMemory(const QString& path);

// The file that path names: path itself, or, when path is a symbolic link
// (or a chain of them), the file it leads to, provided every link and that
// file (or, when it does not exist yet, the folder that would hold it)
// belong to the user running the program. Throws FileError for a link of
// somebody else's or to somebody else's file, and for a chain that never
// ends.
QString fileBehind(const QString& path);

// Makes sure the file exists (created empty and 0600 when missing, never
// truncated) and is writable for its owner: the owner-write bit is added
// when the file belongs to the user running the program and lacks it; the
// file of another user keeps its mode. Throws FileError: folder missing, a
// folder or other non-file in the file's place, a link to another user's
// file, creation or permission change refused.
void prepareFile(const QString& path);

// How long a writer waits for another running copy of the program to finish
// its rewrite of the same file. A rewrite holds the lock for milliseconds (a
// few hundred for a file of tens of megabytes), so five seconds outwaits any
// honest holder.
inline constexpr std::chrono::milliseconds kLockWait{5000};

// How long the writes of one program wait for a file's lock held by another
// running copy. A write waits up to kLockWait; once a wait has timed out,
// the following writes try the lock once and fail at once while it is still
// held, until one of them takes it again. So a copy that hangs holding the
// lock costs the window one wait, not one per write. The window keeps one
// for its settings file and passes it to every write.
class LockPolicy {
public:
    std::chrono::milliseconds wait() const {
        return m_timedOut ? std::chrono::milliseconds(0) : kLockWait;
    }
    bool timedOut() const { return m_timedOut; }
    void gaveUp() { m_timedOut = true; }
    void taken() { m_timedOut = false; }

private:
    bool m_timedOut = false;
};

// Throws FileError when something other than a regular file (a folder, a
// pipe, a device) stands at path, or at the file a permitted link leads to.
// A missing path passes.
void requireRegularFileOrNothing(const QString& path);

// The whole content of the file. Throws FileError when the file or its folder
// is missing, the file is larger than kMaxFileBytes or cannot be read.
QByteArray readFileBytes(const QString& path);

// Replaces the whole content of the file atomically: the bytes go to a new
// 0600 file in the same folder (the folder of the file a permitted link
// leads to, so the link stays and its file is replaced), which is flushed to
// disk and renamed over the file; the folder is flushed after it. A crash,
// a kill or a full disk leaves the old file whole (at worst a temporary file
// stays behind). Throws FileError, also for more than kMaxFileBytes, which
// could not be read back.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// The advisory lock of one file, held from construction to destruction: the
// lock file ".lock" beside the file (beside the file a permitted link leads
// to), created 0600 with O_EXCL in the folder the file was checked in, and
// holding the holder's process id, program and host as Qt's QLockFile
// writes them, so older copies of the program honour it too. Waits as the
// policy says for another holder, then throws FileError and tells the
// policy. A lock left behind by a process that no longer runs is taken over
// at once; so is an empty lock file (its writer died between creating and
// filling it) once it is a second old. Something that can never be a lock
// file (a folder, a link, a device in its place) fails at once.
class FileLock {
public:
    FileLock(const QString& path, LockPolicy& policy);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    struct Held;
    std::unique_ptr<Held> m_held;
};

} // namespace quenby
