// Which folder the two files live in, for a program in a given folder.
#include "settings/fileaccess.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using namespace quenby;

// Under /usr the files go to the user's configuration folder even where the
// user may write (root, who runs this suite, may write /usr/bin): an installed
// copy never writes beside itself. Elsewhere a folder the program may write
// keeps them; one it cannot reach does not.
TEST(ProgramFolder, KeepsTheFilesBesideTheProgramOnlyInAWritableFolderOutsideUsr) {
    QTemporaryDir own;
    ASSERT_TRUE(own.isValid());
    const QString linkToUsrBin = QDir(own.path()).filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin"), linkToUsrBin));
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    ASSERT_FALSE(config.isEmpty());

    const struct {
        QString executableDir;
        QString folder;
    } rows[] = {
        {own.path(), own.path()},
        {QStringLiteral("/usr/bin"), config},
        {QStringLiteral("/usr/local/bin/"), config},
        {QStringLiteral("/usr"), config},
        {linkToUsrBin, config}, // as /bin on a system where /bin is /usr/bin
        {QDir(own.path()).filePath(QStringLiteral("missing")), config},
    };
    for (const auto& row : rows)
        EXPECT_EQ(programFolder(row.executableDir).toStdString(), row.folder.toStdString())
            << row.executableDir.toStdString();
}

// An installed copy in an odd environment: with HOME unset, empty or "/",
// the home folder is the password database's (so root never writes into
// /.config); a relative XDG_CONFIG_HOME is ignored, an absolute one used.
// With no home folder to be had the copy has no folder at all, and every
// file access says why instead of writing beside the root folder.
TEST(ProgramFolder, AnOddEnvironmentNeverStrays) {
    const passwd* entry = ::getpwuid(::geteuid());
    const QString passwdHome = entry ? QString::fromLocal8Bit(entry->pw_dir) : QString();
    if (passwdHome.isEmpty() || passwdHome == QLatin1String("/") || !QFileInfo(passwdHome).isDir())
        GTEST_SKIP() << "the password database names no home folder for this user";
    const QTemporaryDir home;
    const QTemporaryDir xdg;
    const QString app = QStringLiteral("/") + QCoreApplication::applicationName();
    const QByteArray homePath = QFile::encodeName(home.path());
    const QByteArray missing = homePath + "/missing";
    const QByteArray xdgPath = QFile::encodeName(xdg.path());
    const struct {
        const char* home; // nullptr: unset
        const char* xdg;
        QString folder;
    } rows[] = {
        {homePath.constData(), nullptr, home.path() + "/.config" + app},
        {nullptr, nullptr, passwdHome + "/.config" + app},
        {"", nullptr, passwdHome + "/.config" + app},
        {"/", nullptr, passwdHome + "/.config" + app},
        {"//", "", passwdHome + "/.config" + app},
        {homePath.constData(), "relative/config", home.path() + "/.config" + app},
        {homePath.constData(), xdgPath.constData(), xdg.path() + app},
        {nullptr, xdgPath.constData(), xdg.path() + app},
        {missing.constData(), nullptr, QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("HOME=") + (row.home ? row.home : "(unset)") +
                     " XDG_CONFIG_HOME=" + (row.xdg ? row.xdg : "(unset)"));
        const test::EnvironmentVariable homeVariable("HOME", row.home);
        const test::EnvironmentVariable xdgVariable("XDG_CONFIG_HOME", row.xdg);
        EXPECT_EQ(programFolder(QStringLiteral("/usr/bin")).toStdString(),
                  row.folder.toStdString());
        EXPECT_EQ(noProgramFolderReason().isEmpty(), !row.folder.isEmpty());
    }

    const test::EnvironmentVariable homeVariable("HOME", missing.constData());
    const test::EnvironmentVariable xdgVariable("XDG_CONFIG_HOME", nullptr);
    const QString none = programFolder(QStringLiteral("/usr/bin"));
    makeProgramFolder(none);
    EXPECT_FALSE(QFileInfo::exists(QString::fromLocal8Bit(missing))) << "no home made up";
    for (const char* name : {kSettingsFileName, kSavedTextsFileName}) {
        try {
            TxtSave(none, QString::fromLatin1(name), QStringLiteral("typed"));
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.reason().contains(QStringLiteral("the home folder %1 does not exist")
                                                .arg(QString::fromLocal8Bit(missing))))
                << e.what();
        }
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/") + QString::fromLatin1(name)));
    }
}
