#pragma once

#include "settings/fileaccess.h"

#include <QByteArray>
#include <QString>
#include <sys/stat.h>

// How the file access reaches a file once it has been checked: its folder is
// held open, and everything after the check names the file relative to that
// folder, never by its path again. Inside the settings library only.
//
// A path is a string the kernel walks afresh at every call. Between a check
// of the name (is it a link, whose is it) and a write by that name, whoever
// may write the folder can put a link there, and a write by the path would
// follow it into a file of the user's. So the path is looked at once: links
// of the user's own are followed to the real file (fileBehind), the folder
// that holds the real file is opened (O_DIRECTORY | O_NOFOLLOW), and from
// then on the file is reached only through that open folder: openat with
// O_NOFOLLOW to read, a temporary file made with O_CREAT | O_EXCL and
// renameat to write. renameat replaces whatever stands at the name, a link
// included, and never follows it; a read refuses a link. A swap after the
// check therefore lands on the link itself, never on the file it leads to.
namespace quenby::detail {

// A file descriptor, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A checked file: the folder that holds the real file, open, and the file's
// name in it.
struct FilePlace {
    QString path;   // as the caller named it, for messages
    QString target; // the file behind path (path itself when it is no link)
    Descriptor folder;
    QByteArray name;     // the file's name inside folder
    bool shared = false; // others may write the folder (world-writable, or sticky and not ours)
};

// The system's words for an errno value.
QString systemText(int cause);

// Resolves path once (fileBehind) and opens the folder of the file behind
// it. Throws FileError: a link of somebody else's, a missing folder, a
// folder that cannot be opened.
FilePlace openPlace(const QString& path);

// What stands at name in the place's folder, without following a link;
// false when nothing does. Throws FileError for any other failure.
bool statEntry(const FilePlace& place, const QByteArray& name, struct stat* st);

// Throws FileError when what stands at the place's name (st) may not be read
// or replaced: a folder, something other than a regular file, or, in a
// folder others can write, a file of another user (its owner could swap it
// for a link at will).
void requireOwnRegularFile(const FilePlace& place, const struct stat& st);

// Writes all of bytes to fd; false with errno set on a failure, a write that
// stops short (disk full, file too large) included.
bool writeAll(int fd, const QByteArray& bytes);

} // namespace quenby::detail
