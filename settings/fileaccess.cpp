#include "settings/fileaccess.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quenby {

namespace {

constexpr std::chrono::milliseconds kLockPoll{10};
constexpr qint64 kOrphanedLockAgeMs = 1000;
// As many links in a row as Linux follows before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;
constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;

QString systemText(int cause) {
    return QString::fromLocal8Bit(std::strerror(cause));
}

QString missingReason(const QString& path) {
    const QDir folder = QFileInfo(path).absoluteDir();
    if (!folder.exists())
        return QStringLiteral("the folder %1 does not exist").arg(folder.path());
    return QStringLiteral("the file does not exist");
}

// A file descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

FileError tooLarge(const QString& path, qint64 size, const char* what) {
    return FileError(path, QStringLiteral("%1 %2 bytes, more than the %3 GiB this program reads "
                                          "or writes; the file is left as it is")
                               .arg(QLatin1String(what))
                               .arg(size)
                               .arg(kMaxFileBytes >> 30));
}

// The checks of requireRegularFileOrNothing on the file behind path.
void requireRegularTarget(const QString& path, const QString& target) {
    const QFileInfo info(target);
    if (info.isDir())
        throw FileError(path, QStringLiteral("a folder stands where the file should be"));
    if (info.exists() && !info.isFile())
        throw FileError(path, QStringLiteral("this is not a regular file"));
}

} // namespace

FileError::FileError(const QString& path, const QString& reason)
    : std::runtime_error((path + QStringLiteral(": ") + reason).toStdString()), m_path(path),
      m_reason(reason) {}

FileError outOfMemory(const QString& path) {
    return FileError(path, QStringLiteral("there is not enough memory to work on the file; "
                                          "it is left as it is"));
}

QString fileBehind(const QString& path) {
    QString target = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(QFile::encodeName(target).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        // A link another user planted may lead to a file of the user's own
        // that the user never meant to have rewritten.
        if (st.st_uid != ::geteuid())
            throw FileError(path, QStringLiteral("it is a symbolic link that belongs to another "
                                                 "user; nothing is read or written through it"));
        if (hops == kMaxLinkHops)
            throw FileError(path, QStringLiteral("it is a chain of symbolic links that does not "
                                                 "end"));
        const QString next = QFileInfo(target).symLinkTarget();
        if (next.isEmpty())
            throw FileError(path, QStringLiteral("the symbolic link %1 cannot be read: %2")
                                      .arg(target, systemText(errno)));
        target = next;
    }
    if (target == path)
        return path;
    // The owner of the file the link leads to, or of the folder that would
    // hold it; a folder that is missing fails later with its own reason.
    struct stat st {};
    if (::lstat(QFile::encodeName(target).constData(), &st) != 0 &&
        ::stat(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), &st) != 0)
        return target;
    if (st.st_uid != ::geteuid())
        throw FileError(path, QStringLiteral("it is a symbolic link to %1, which belongs to "
                                             "another user; nothing is read or written "
                                             "through it")
                                  .arg(target));
    return target;
}

void prepareFile(const QString& path) {
    const QString target = fileBehind(path);
    requireRegularTarget(path, target);
    const QByteArray name = QFile::encodeName(target);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0) {
        if (st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR))
            return;
        // AT_SYMLINK_NOFOLLOW: should a link have taken the file's place
        // since it was looked at, it is refused, not followed.
        if (::fchmodat(AT_FDCWD, name.constData(), (st.st_mode & 07777) | S_IWUSR,
                       AT_SYMLINK_NOFOLLOW) != 0)
            throw FileError(path,
                            QStringLiteral("cannot make the file writable: ") + systemText(errno));
        return;
    }
    // O_EXCL creates a file and nothing else: it follows no link and never
    // truncates a file that another program created meanwhile.
    const Descriptor fd(
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateMode));
    if (fd.get() < 0 && errno != EEXIST) {
        const int cause = errno;
        if (cause == ENOENT)
            throw FileError(path, missingReason(target));
        throw FileError(path, QStringLiteral("cannot create the file: ") + systemText(cause));
    }
}

void requireRegularFileOrNothing(const QString& path) {
    requireRegularTarget(path, fileBehind(path));
}

QByteArray readFileBytes(const QString& path) {
    const QString target = fileBehind(path);
    requireRegularTarget(path, target);
    // O_NOFOLLOW: a link that took the file's place since is refused;
    // O_NONBLOCK: a pipe that did is not waited on (it fails the check below).
    const Descriptor fd(::open(QFile::encodeName(target).constData(),
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        const int cause = errno;
        if (cause == ENOENT)
            throw FileError(path, missingReason(target));
        throw FileError(path, QStringLiteral("cannot open the file: ") + systemText(cause));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw FileError(path, QStringLiteral("cannot read the file: ") + systemText(errno));
    if (!S_ISREG(st.st_mode))
        throw FileError(path, QStringLiteral("this is not a regular file"));
    if (st.st_size > kMaxFileBytes)
        throw tooLarge(path, st.st_size, "the file is");
    try {
        // One byte more than the file's size tells a file that grew since;
        // it is read on, but never past the bound.
        QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
        qint64 done = 0;
        for (;;) {
            if (done == bytes.size()) {
                if (done > kMaxFileBytes)
                    throw tooLarge(path, done, "the file has grown to");
                bytes.resize(qsizetype(std::min(done * 2, kMaxFileBytes + 1)));
            }
            const ssize_t n = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw FileError(path, QStringLiteral("cannot read the file: ") + systemText(errno));
            if (n == 0)
                break;
            done += n;
        }
        bytes.truncate(qsizetype(done));
        return bytes;
    } catch (const std::bad_alloc&) {
        throw outOfMemory(path);
    }
}

void writeFileAtomically(const QString& path, const QByteArray& bytes) {
    if (bytes.size() > kMaxFileBytes)
        throw tooLarge(path, bytes.size(), "the new content would be");
    const QString target = fileBehind(path);
    requireRegularTarget(path, target);
    QSaveFile file(target);
    // Writing in place would lose the old content on a crash: never fall back to it.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QString reason =
            QFileInfo(target).absoluteDir().exists()
                ? QStringLiteral("cannot create a temporary file beside it: ") + file.errorString()
                : missingReason(target);
        throw FileError(path, reason);
    }
    // QSaveFile::commit() (Qt 6.4) renames even when its own final flush fails,
    // and ignores a failed sync: a full disk would leave a cut-off file. So
    // flush and sync here, where a failure can still cancel the rename.
    // A short write (disk full, file too large) leaves Qt's error text empty;
    // errno still names the cause. QSaveFile gives the new file the old
    // one's mode: it is made private before anything is written into it.
    errno = 0;
    bool written = ::fchmod(file.handle(), kPrivateMode) == 0 &&
                   file.write(bytes) == bytes.size() && file.flush();
    written = written && ::fsync(file.handle()) == 0;
    const int cause = errno;
    if (!written || !file.commit()) {
        const QString reason = !written && cause != 0 ? systemText(cause) : file.errorString();
        file.cancelWriting();
        throw FileError(
            path,
            QStringLiteral("cannot write the file (%1); its old content is kept").arg(reason));
    }
}

FileLock::FileLock(const QString& path, LockPolicy& policy)
    : m_lock(fileBehind(path) + QStringLiteral(".lock")) {
    const QString lockPath = m_lock.fileName();
    const bool timedOutBefore = policy.timedOut();
    const std::chrono::milliseconds wait = policy.wait();
    const QDeadlineTimer deadline(wait);
    for (;;) {
        // QLockFile keeps the system's reason to itself; errno still has it.
        errno = 0;
        if (m_lock.tryLock(0))
            break;
        const int cause = errno;
        if (m_lock.error() != QLockFile::LockFailedError) {
            QString reason = QStringLiteral("cannot create the lock file %1").arg(lockPath);
            if (cause != 0)
                reason += QStringLiteral(": ") + systemText(cause);
            throw FileError(path, reason);
        }
        // Only a regular file can be a lock that its holder will remove.
        const QFileInfo lockInfo(lockPath);
        if (lockInfo.isDir() && !lockInfo.isSymLink())
            throw FileError(path, QStringLiteral("a folder stands where the lock file %1 should "
                                                 "be, so the file can never be locked")
                                      .arg(lockPath));
        if (lockInfo.isSymLink() || (lockInfo.exists() && !lockInfo.isFile()))
            throw FileError(path, QStringLiteral("%1 is not a regular file, so it can never be "
                                                 "the file's lock")
                                      .arg(lockPath));
        qint64 pid = 0;
        QString host;
        QString app;
        const bool known = m_lock.getLockInfo(&pid, &host, &app);
        if (!known) {
            // Qt honours an unreadable lock file for its whole stale time (30 s);
            // a real holder writes its details right after creating the file.
            const QDateTime modified = lockInfo.lastModified();
            if (modified.isValid() &&
                modified.msecsTo(QDateTime::currentDateTime()) > kOrphanedLockAgeMs &&
                m_lock.removeStaleLockFile())
                continue;
        }
        if (deadline.hasExpired()) {
            policy.gaveUp();
            const QString holder = known
                                       ? QStringLiteral("%1 (process %2 on %3)")
                                             .arg(app.isEmpty() ? QStringLiteral("a program") : app)
                                             .arg(pid)
                                             .arg(host)
                                       : QStringLiteral("another program");
            if (timedOutBefore)
                throw FileError(path, QStringLiteral("the file is still locked by %1; after "
                                                     "one wait for it timed out, writes do "
                                                     "not wait again until it is free")
                                          .arg(holder));
            throw FileError(path, QStringLiteral("the file is locked by %1; gave up after %2 ms")
                                      .arg(holder)
                                      .arg(wait.count()));
        }
        std::this_thread::sleep_for(kLockPoll);
    }
    policy.taken();
    // QLockFile creates the file 0666 less the umask. It only names this
    // process, but it is kept as private as the file it locks; a failure
    // here costs nothing worse than that.
    if (::fchmodat(AT_FDCWD, QFile::encodeName(lockPath).constData(), kPrivateMode,
                   AT_SYMLINK_NOFOLLOW) != 0)
        return; // left as QLockFile made it
}

} // namespace quenby
