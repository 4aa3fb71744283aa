// Reading, creating and replacing the settings and saved-texts files. Each
// call checks the name once (fileBehind: a link is followed only when it and
// its file are the user's), then holds the real file's folder open and does
// everything else relative to it (fileplace.h explains why): a read opens
// with O_NOFOLLOW; a write makes a private temporary file beside the file,
// writes and flushes it, and renames it over the name, so the old content
// stays whole until the new one is complete on disk.
#include "settings/fileaccess.h"

#include "settings/fileplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace quenby {

using detail::Descriptor;
using detail::FilePlace;
using detail::openPlace;
using detail::requireOwnRegularFile;
using detail::statEntry;
using detail::systemText;
using detail::writeAll;

namespace {

// As many links in a row as Linux follows before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;
constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;

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
    const FilePlace place = openPlace(path);
    struct stat st {};
    if (statEntry(place, place.name, &st)) {
        requireOwnRegularFile(place, st);
        if (st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR))
            return;
        // AT_SYMLINK_NOFOLLOW: should a link have taken the file's place
        // since it was looked at, it is refused, not followed.
        if (::fchmodat(place.folder.get(), place.name.constData(), (st.st_mode & 07777) | S_IWUSR,
                       AT_SYMLINK_NOFOLLOW) != 0)
            throw FileError(path,
                            QStringLiteral("cannot make the file writable: ") + systemText(errno));
        return;
    }
    // O_EXCL creates a file and nothing else: it follows no link and never
    // truncates a file that another program created meanwhile.
    const Descriptor fd(::openat(place.folder.get(), place.name.constData(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 kPrivateMode));
    if (!fd.valid() && errno != EEXIST)
        throw FileError(path, QStringLiteral("cannot create the file: ") + systemText(errno));
}

void requireRegularFileOrNothing(const QString& path) {
    requireRegularTarget(path, fileBehind(path));
}

QByteArray readFileBytes(const QString& path) {
    const FilePlace place = openPlace(path);
    struct stat st {};
    if (!statEntry(place, place.name, &st))
        throw FileError(path, QStringLiteral("the file does not exist"));
    requireOwnRegularFile(place, st);
    // O_NOFOLLOW: a link that took the file's place since is refused;
    // O_NONBLOCK: a pipe that did is not waited on (it fails the check below).
    const Descriptor fd(::openat(place.folder.get(), place.name.constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        const int cause = errno;
        if (cause == ENOENT)
            throw FileError(path, QStringLiteral("the file does not exist"));
        throw FileError(path, QStringLiteral("cannot open the file: ") + systemText(cause));
    }
    // What was opened is checked again: a file swapped in since the look
    // above is held to the same rules.
    if (::fstat(fd.get(), &st) != 0)
        throw FileError(path, QStringLiteral("cannot read the file: ") + systemText(errno));
    requireOwnRegularFile(place, st);
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

namespace {

// A new, empty, private file beside the place's file, under a name nobody
// else uses: the file's name and six random letters. O_EXCL | O_NOFOLLOW
// make a file of its own or fail; they never open what stands there.
Descriptor createTemporary(const FilePlace& place, QByteArray* name) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = place.name + '.';
        for (int i = 0; i < 6; ++i)
            *name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        Descriptor fd(::openat(place.folder.get(), name->constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateMode));
        if (fd.valid() || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return Descriptor();
}

} // namespace

void writeFileAtomically(const QString& path, const QByteArray& bytes) {
    if (bytes.size() > kMaxFileBytes)
        throw tooLarge(path, bytes.size(), "the new content would be");
    const FilePlace place = openPlace(path);
    struct stat st {};
    if (statEntry(place, place.name, &st))
        requireOwnRegularFile(place, st);
    QByteArray temporary;
    Descriptor fd = createTemporary(place, &temporary);
    if (!fd.valid())
        throw FileError(path, QStringLiteral("cannot create a temporary file beside it: ") +
                                  systemText(errno));
    // The mode asked for at creation loses what the umask takes away; the
    // file is made exactly 0600 before anything is written into it.
    errno = 0;
    bool written = ::fchmod(fd.get(), kPrivateMode) == 0 && writeAll(fd.get(), bytes) &&
                   ::fsync(fd.get()) == 0;
    if (written) {
        // A failure to close after fsync still counts: on some file systems
        // it is where a failed write shows.
        written = ::close(fd.get()) == 0;
        fd = Descriptor();
    }
    // renameat replaces what stands at the name, a link included; it never
    // follows a link into another file.
    written = written && ::renameat(place.folder.get(), temporary.constData(), place.folder.get(),
                                    place.name.constData()) == 0;
    if (!written) {
        const int cause = errno;
        ::unlinkat(place.folder.get(), temporary.constData(), 0);
        throw FileError(path, QStringLiteral("cannot write the file (%1); its old content is kept")
                                  .arg(systemText(cause)));
    }
    // The rename itself reaches the disk with the folder.
    if (::fsync(place.folder.get()) != 0)
        throw FileError(path, QStringLiteral("the file was written, but its folder could not be "
                                             "flushed to disk (%1); after a crash the old "
                                             "content may come back")
                                  .arg(systemText(errno)));
}

} // namespace quenby
