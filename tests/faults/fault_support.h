#pragma once

#include <QString>
#include <string>
#include <vector>

// Ways to make a write fail while the tests run as root, where permission
// bits stop nothing: mounts that only this process sees.
namespace quenby::faults {

// Mounts seen by this process alone. Construction moves the calling thread
// into a new private mount namespace (so nothing here changes the machine's
// mounts, and whatever is left mounted vanishes with the process); the
// destructor unmounts what was mounted through it, newest first. Mounting
// needs CAP_SYS_ADMIN: where the namespace or a mount is refused (an
// unprivileged user, a locked-down container), unavailable() says why and the
// tests that need it skip.
class PrivateMounts {
public:
    PrivateMounts();
    ~PrivateMounts();
    PrivateMounts(const PrivateMounts&) = delete;
    PrivateMounts& operator=(const PrivateMounts&) = delete;

    // Empty when mounting works here, otherwise the reason it does not.
    const QString& unavailable() const { return m_unavailable; }

    // A memory file system of `bytes` bytes over the folder, hiding what the
    // folder held. False (with unavailable() set) when refused.
    bool mountTmpfs(const QString& folder, long long bytes);

    // The folder read-only for every user, root included: the folder bound
    // over itself and the binding remounted read-only.
    bool makeReadOnly(const QString& folder);

    // Undoes the newest mount.
    void unmountLast();

private:
    bool refuse(const char* what);

    std::vector<std::string> m_mounted;
    QString m_unavailable;
};

} // namespace quenby::faults
