#include "fault_support.h"

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace quenby::faults {

PrivateMounts::PrivateMounts() {
    // Without MS_PRIVATE a shared "/" would pass our mounts back to the host.
    if (::unshare(CLONE_NEWNS) != 0)
        refuse("a private mount namespace (unshare)");
    else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        refuse("making the mounts private");
}

PrivateMounts::~PrivateMounts() {
    while (!m_mounted.empty())
        unmountLast();
}

bool PrivateMounts::refuse(const char* what) {
    m_unavailable =
        QStringLiteral("%1 is refused here (%2); mounting needs root with "
                       "CAP_SYS_ADMIN")
            .arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool PrivateMounts::mountTmpfs(const QString& folder, long long bytes) {
    if (!m_unavailable.isEmpty())
        return false;
    const std::string path = folder.toStdString();
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("quenby-faults", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
        return refuse("mounting a tmpfs");
    m_mounted.push_back(path);
    return true;
}

bool PrivateMounts::makeReadOnly(const QString& folder) {
    if (!m_unavailable.isEmpty())
        return false;
    const std::string path = folder.toStdString();
    if (::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return refuse("a bind mount");
    m_mounted.push_back(path);
    if (::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        return refuse("remounting read-only");
    return true;
}

void PrivateMounts::unmountLast() {
    if (m_mounted.empty())
        return;
    ::umount2(m_mounted.back().c_str(), MNT_DETACH);
    m_mounted.pop_back();
}

} // namespace quenby::faults
