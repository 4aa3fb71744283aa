// Where the settings file and the saved-texts file live.
//
// A copy of the program in a folder its user may write (unpacked into a
// folder of the user's, say) keeps them beside itself. An installed copy
// keeps them in the user's configuration folder: $XDG_CONFIG_HOME, or
// ~/.config where that is not set, then the application's own folder in it,
// as Qt names it (~/.config/quenby).
//
// The environment that names those folders is not always sound. A relative
// XDG_CONFIG_HOME would put the files wherever the program was started; the
// XDG Base Directory rules say to ignore it, and so it is. HOME may be unset
// or empty (a program started by a service manager or by `env -i`); then the
// password database names the home folder, as the shell's ~ does. A home
// of "/" is no home: Qt would take it and have root write into /.config. A
// home folder that does not exist is not made up either. Where no folder
// can be had, programFolder gives the empty string and joinPath an empty
// path, which the file access refuses with the reason spelt out here, so the
// first save says why instead of writing somewhere nobody expects.
#include "settings/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quenby {

QString joinPath(const QString& folder, const QString& fileName) {
    if (folder.isEmpty())
        return QString();
    return folder + QLatin1Char('/') + fileName;
}

namespace {

// /usr holds installed programs and their data, which a running program never
// changes (packages own them; root may write there, but should not). Links are
// followed, so /bin/quenby is found under /usr too where /bin is /usr/bin.
bool isUnderUsr(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString path = QDir::cleanPath(canonical.isEmpty() ? folder : canonical);
    return path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
}

// The user's configuration folder, or why there is none.
struct ConfigHome {
    QString path;
    QString problem;
};

bool usableHome(const QString& home) {
    return QDir::isAbsolutePath(home) && QDir::cleanPath(home) != QLatin1String("/");
}

ConfigHome configHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg))
        return {xdg, {}};
    QString home = qEnvironmentVariable("HOME");
    if (!usableHome(home)) {
        const passwd* entry = ::getpwuid(::geteuid());
        home = entry && entry->pw_dir ? QFile::decodeName(entry->pw_dir) : QString();
    }
    const QString lead = QStringLiteral("there is no folder to keep the settings in: ");
    if (home.isEmpty())
        return {{},
                lead + QStringLiteral("HOME is not set, and the password database names no "
                                      "home folder for user %1")
                           .arg(::geteuid())};
    if (!usableHome(home))
        return {{},
                lead +
                    QStringLiteral("the home folder is %1, where no settings are kept").arg(home)};
    if (!QFileInfo(home).isDir())
        return {{}, lead + QStringLiteral("the home folder %1 does not exist").arg(home)};
    return {home + QStringLiteral("/.config"), {}};
}

} // namespace

QString programFolder(const QString& executableDir) {
    if (!isUnderUsr(executableDir) &&
        ::access(QFile::encodeName(executableDir).constData(), W_OK) == 0)
        return executableDir;
    QString folder = configHome().path;
    if (folder.isEmpty())
        return folder;
    // The application's own folder, named as QStandardPaths names it.
    for (const QString& part :
         {QCoreApplication::organizationName(), QCoreApplication::applicationName()})
        if (!part.isEmpty())
            folder += QLatin1Char('/') + part;
    return folder;
}

QString noProgramFolderReason() {
    return configHome().problem;
}

void makeProgramFolder(const QString& folder) {
    if (folder.isEmpty() || QFileInfo::exists(folder))
        return;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
}

} // namespace quenby
