// Which folder the two files live in, for a program in a given folder.
#include "settings/programfolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
