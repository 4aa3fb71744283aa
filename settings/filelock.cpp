// The advisory lock of one file: a lock file ".lock" beside it, which exists
// exactly while a writer reads, changes and rewrites the file.
//
// Taking the lock is creating the lock file with O_CREAT | O_EXCL in the
// file's folder, held open since the file was checked: the kernel lets one
// creator win, and O_EXCL never opens a link or a file that stands there.
// The winner writes its process id, program, host name, machine id and boot
// id into it, the lines Qt's QLockFile writes, and holds an flock on it, as
// QLockFile does, so copies of the program that still use QLockFile and
// this code keep out of each other's way.
//
// A lock file whose holder is gone would block every write for good, so a
// waiting writer reads it: a holder on this machine whose process no longer
// runs (or that ran before the last boot) has left it behind, and so has a
// writer that died between creating the file and filling it, which leaves
// it empty (given a second, in which a live writer always fills it). Such a
// lock is taken over: the waiter takes the flock on that very file, checks
// that the name still leads to it, and removes it. The flock keeps two
// waiters from both taking over, and keeps a live QLockFile holder's lock.
#include "settings/fileaccess.h"
#include "settings/fileplace.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quenby {

using detail::Descriptor;
using detail::FilePlace;
using detail::openPlace;
using detail::statEntry;
using detail::systemText;

namespace {

constexpr std::chrono::milliseconds kLockPoll{10};
constexpr time_t kOrphanedLockAgeSeconds = 1;
constexpr int kMaxLockFileBytes = 4096;

// What a lock file says about its holder.
struct Holder {
    qint64 pid = 0;
    QString app;
    QString host;
    QByteArray machineId;
    QByteArray bootId;
};

QByteArray lockFileContent() {
    // The program's file name, as QLockFile gives it.
    const QByteArray app =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName().toUtf8();
    return QByteArray::number(qint64(::getpid())) + '\n' + app + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

// The holder a lock file's content names; false when it names none.
bool parseHolder(const QByteArray& content, Holder* holder) {
    const QList<QByteArray> lines = content.split('\n');
    if (lines.size() < 3)
        return false;
    bool ok = false;
    holder->pid = lines[0].toLongLong(&ok);
    if (!ok || holder->pid <= 0)
        return false;
    holder->app = QString::fromUtf8(lines[1]);
    holder->host = QString::fromUtf8(lines[2]);
    holder->machineId = lines.value(3);
    holder->bootId = lines.value(4);
    return true;
}

// True when the holder is a process of this machine that no longer runs.
bool holderIsGone(const Holder& holder) {
    bool sameMachine = holder.host.isEmpty() || holder.host == QSysInfo::machineHostName();
    const QByteArray ourMachine = QSysInfo::machineUniqueId();
    if (!holder.machineId.isEmpty() && !ourMachine.isEmpty())
        sameMachine = holder.machineId == ourMachine;
    if (!sameMachine)
        return false;
    if (!holder.bootId.isEmpty() && holder.bootId != QSysInfo::bootUniqueId())
        return true;
    return ::kill(pid_t(holder.pid), 0) != 0 && errno == ESRCH;
}

QString holderText(const Holder* holder) {
    if (!holder)
        return QStringLiteral("another program");
    return QStringLiteral("%1 (process %2 on %3)")
        .arg(holder->app.isEmpty() ? QStringLiteral("a program") : holder->app)
        .arg(holder->pid)
        .arg(holder->host);
}

} // namespace

struct FileLock::Held {
    FilePlace place;
    QByteArray name;
    QString lockPath;
    Descriptor lock;

    // Opens the lock file with O_EXCL; false when one stands there already.
    bool create();
    // Looks at the lock file that stands there: throws when it can never be
    // a lock; removes it when its holder is gone (true: try again at once);
    // otherwise says who holds it.
    bool takeOverIfLeft(bool* known, Holder* holder);
    QString lockReason(const QString& what) const { return what.arg(lockPath); }
};

bool FileLock::Held::create() {
    errno = 0;
    Descriptor fd(::openat(place.folder.get(), name.constData(),
                           O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!fd.valid() && errno == EEXIST)
        return false;
    bool made = fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0;
    if (made) {
        const QByteArray content = lockFileContent();
        made = ::fchmod(fd.get(), S_IRUSR | S_IWUSR) == 0 && detail::writeAll(fd.get(), content);
    }
    if (!made) {
        const int cause = errno;
        if (fd.valid())
            ::unlinkat(place.folder.get(), name.constData(), 0);
        QString reason = lockReason(QStringLiteral("cannot create the lock file %1"));
        if (cause != 0)
            reason += QStringLiteral(": ") + systemText(cause);
        throw FileError(place.path, reason);
    }
    lock = std::move(fd);
    return true;
}

bool FileLock::Held::takeOverIfLeft(bool* known, Holder* holder) {
    struct stat st {};
    if (!statEntry(place, name, &st))
        return true; // gone meanwhile
    // Only a regular file can be a lock that its holder will remove.
    if (S_ISDIR(st.st_mode))
        throw FileError(place.path, lockReason(QStringLiteral(
                                        "a folder stands where the lock file %1 should be, so "
                                        "the file can never be locked")));
    if (!S_ISREG(st.st_mode))
        throw FileError(place.path,
                        lockReason(QStringLiteral(
                            "%1 is not a regular file, so it can never be the file's lock")));
    const Descriptor fd(
        ::openat(place.folder.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return errno == ENOENT;
    QByteArray content(kMaxLockFileBytes, Qt::Uninitialized);
    const ssize_t n = ::read(fd.get(), content.data(), size_t(content.size()));
    content.truncate(n > 0 ? qsizetype(n) : 0);
    *known = parseHolder(content, holder);
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0)
        return false;
    const bool left = *known ? holderIsGone(*holder)
                             : std::time(nullptr) - opened.st_mtime > kOrphanedLockAgeSeconds;
    // The flock fails while a live holder keeps the file; the name must still
    // lead to the file looked at, not to a lock taken meanwhile.
    if (!left || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    if (!statEntry(place, name, &st) || st.st_ino != opened.st_ino || st.st_dev != opened.st_dev)
        return true;
    return ::unlinkat(place.folder.get(), name.constData(), 0) == 0 || errno == ENOENT;
}

FileLock::FileLock(const QString& path, LockPolicy& policy)
    : m_held(new Held{openPlace(path), {}, {}, {}}) {
    Held& held = *m_held;
    held.name = held.place.name + ".lock";
    held.lockPath = held.place.target + QStringLiteral(".lock");
    const bool timedOutBefore = policy.timedOut();
    const std::chrono::milliseconds wait = policy.wait();
    const QDeadlineTimer deadline(wait);
    while (!held.create()) {
        bool known = false;
        Holder holder;
        if (held.takeOverIfLeft(&known, &holder))
            continue;
        if (deadline.hasExpired()) {
            policy.gaveUp();
            const QString who = holderText(known ? &holder : nullptr);
            if (timedOutBefore)
                throw FileError(path, QStringLiteral("the file is still locked by %1; after "
                                                     "one wait for it timed out, writes do "
                                                     "not wait again until it is free")
                                          .arg(who));
            throw FileError(path, QStringLiteral("the file is locked by %1; gave up after %2 ms")
                                      .arg(who)
                                      .arg(wait.count()));
        }
        std::this_thread::sleep_for(kLockPoll);
    }
    policy.taken();
}

FileLock::~FileLock() {
    Held& held = *m_held;
    // Removed only while the name still leads to this lock's own file.
    struct stat mine {};
    struct stat there {};
    if (::fstat(held.lock.get(), &mine) == 0 &&
        ::fstatat(held.place.folder.get(), held.name.constData(), &there, AT_SYMLINK_NOFOLLOW) ==
            0 &&
        mine.st_ino == there.st_ino && mine.st_dev == there.st_dev)
        ::unlinkat(held.place.folder.get(), held.name.constData(), 0);
}

} // namespace quenby
