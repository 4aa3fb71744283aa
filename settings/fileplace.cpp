#include "settings/fileplace.h"

#include "settings/programfolder.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quenby::detail {

Descriptor::~Descriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

QString systemText(int cause) {
    return QString::fromLocal8Bit(std::strerror(cause));
}

namespace {

// The folder's own path with every link in it resolved, so that the folder
// itself can be opened without following a link; empty when the folder
// cannot be found.
QByteArray realFolder(const QString& folder) {
    char* real = ::realpath(QFile::encodeName(folder).constData(), nullptr);
    if (!real)
        return QByteArray();
    QByteArray path(real);
    std::free(real);
    return path;
}

} // namespace

FilePlace openPlace(const QString& path) {
    // joinPath's answer where there is no program folder.
    if (path.isEmpty())
        throw FileError(path, noProgramFolderReason());
    FilePlace place;
    place.path = path;
    place.target = fileBehind(path);
    const QFileInfo info(place.target);
    place.name = QFile::encodeName(info.fileName());
    const QString folder = info.absolutePath();
    const QByteArray real = realFolder(folder);
    if (real.isEmpty()) {
        if (errno == ENOENT)
            throw FileError(path, QStringLiteral("the folder %1 does not exist").arg(folder));
        throw FileError(
            path, QStringLiteral("cannot reach the folder %1: %2").arg(folder, systemText(errno)));
    }
    // O_NOFOLLOW: a link put in the folder's place since is refused.
    place.folder =
        Descriptor(::open(real.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!place.folder.valid()) {
        const int cause = errno;
        if (cause == ENOENT)
            throw FileError(path, QStringLiteral("the folder %1 does not exist").arg(folder));
        throw FileError(
            path, QStringLiteral("cannot open the folder %1: %2").arg(folder, systemText(cause)));
    }
    struct stat st {};
    if (::fstat(place.folder.get(), &st) != 0)
        throw FileError(
            path,
            QStringLiteral("cannot look at the folder %1: %2").arg(folder, systemText(errno)));
    place.shared = (st.st_mode & S_IWOTH) || ((st.st_mode & S_ISVTX) && st.st_uid != ::geteuid());
    return place;
}

bool statEntry(const FilePlace& place, const QByteArray& name, struct stat* st) {
    if (::fstatat(place.folder.get(), name.constData(), st, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    throw FileError(place.path, QStringLiteral("cannot look at the file: ") + systemText(errno));
}

void requireOwnRegularFile(const FilePlace& place, const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        throw FileError(place.path, QStringLiteral("a folder stands where the file should be"));
    if (S_ISLNK(st.st_mode))
        throw FileError(place.path, QStringLiteral("a symbolic link took the file's place after "
                                                   "it was checked; nothing is read or written "
                                                   "through it"));
    if (!S_ISREG(st.st_mode))
        throw FileError(place.path, QStringLiteral("this is not a regular file"));
    if (place.shared && st.st_uid != ::geteuid())
        throw FileError(place.path,
                        QStringLiteral("it belongs to another user, in a folder that others "
                                       "can write, so its owner could swap it for a link at "
                                       "any time; nothing is read or written through it"));
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(std::min<qint64>(left, qint64(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace quenby::detail
