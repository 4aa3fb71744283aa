// `cmake --install` into a temporary prefix puts the programs, the desktop
// entry, the icons, the AppStream metadata and the manual pages where
// desktops and `man` look for them.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The entry's keys of the [Desktop Entry] group; empty when it has none.
std::map<QString, QString> desktopEntry(const QString& path) {
    QFile f(path);
    std::map<QString, QString> keys;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines.front() != QLatin1String("[Desktop Entry]"))
        return keys;
    for (const QString& line : lines.mid(1)) {
        if (line.startsWith(QLatin1Char('[')))
            break;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            keys[line.left(eq)] = line.mid(eq + 1);
    }
    return keys;
}

// Installs this build under a new temporary prefix; empty on failure.
::testing::AssertionResult installInto(const QString& prefix) {
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUENBY_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(QUENBY_BUILD_DIR),
                   QStringLiteral("--prefix"), prefix});
    if (!install.waitForFinished(60000) || install.exitCode() != 0)
        return ::testing::AssertionFailure()
               << "cmake --install: " << install.readAll().toStdString();
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Install, PutsTheProgramsAndTheirDesktopFilesInTheirPlaces) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(installInto(prefix.path()));
    const QDir root(prefix.path());

    const QFileInfo program(root.filePath(QStringLiteral("bin/quenby")));
    EXPECT_TRUE(program.isFile() && program.isExecutable()) << "bin/quenby";
    const QFileInfo strip(root.filePath(QStringLiteral("bin/quenby-strip")));
    EXPECT_TRUE(strip.isFile() && strip.isExecutable()) << "bin/quenby-strip";

    const std::map<QString, QString> entry = desktopEntry(
        root.filePath(QStringLiteral("share/applications/io.github.quenby.quenby.desktop")));
    ASSERT_FALSE(entry.empty())
        << "share/applications/io.github.quenby.quenby.desktop with [Desktop Entry]";
    const std::pair<const char*, const char*> wanted[] = {
        {"Type", "Application"},
        {"Name", "Quenby"},
        {"TryExec", "quenby"},
        {"Exec", "quenby"},
        {"Icon", "quenby"},
        {"Terminal", "false"},
        {"Categories", "Utility;TextTools;"},
    };
    for (const auto& [key, value] : wanted) {
        const auto it = entry.find(QLatin1String(key));
        ASSERT_NE(it, entry.end()) << key;
        EXPECT_EQ(it->second, QLatin1String(value)) << key;
    }
    // The entry names what was installed: its TryExec and Exec are the program in bin/,
    // its Icon an icon of that name in the theme: the drawing to scale, and a
    // picture of its folder's size in each size folder, 16 to 256 px.
    EXPECT_EQ(entry.at(QStringLiteral("TryExec")), program.fileName());
    EXPECT_EQ(entry.at(QStringLiteral("Exec")), program.fileName());
    const QString icon = entry.at(QStringLiteral("Icon"));
    const QDir hicolor(root.filePath(QStringLiteral("share/icons/hicolor")));
    EXPECT_TRUE(hicolor.exists(QStringLiteral("scalable/apps/") + icon + QStringLiteral(".svg")));
    const QStringList sizes = hicolor.entryList({QStringLiteral("*x*")}, QDir::Dirs);
    EXPECT_TRUE(sizes.contains(QStringLiteral("16x16")) &&
                sizes.contains(QStringLiteral("256x256")))
        << sizes.join(QLatin1Char(' ')).toStdString();
    for (const QString& folder : sizes) {
        const int side = folder.section(QLatin1Char('x'), 0, 0).toInt();
        const QImage image(
            hicolor.filePath(folder + QStringLiteral("/apps/") + icon + QStringLiteral(".png")));
        EXPECT_EQ(image.size(), QSize(side, side)) << folder.toStdString();
    }
    // The manual pages, the shell completion, the AppStream metadata and the
    // licence.
    for (const char* file :
         {"share/man/man1/quenby.1.gz", "share/man/man1/quenby-strip.1.gz",
          "share/bash-completion/completions/quenby-strip",
          "share/metainfo/io.github.quenby.quenby.metainfo.xml", "share/doc/quenby/copyright"})
        EXPECT_TRUE(QFileInfo(root.filePath(QLatin1String(file))).isFile()) << file;

    // The manual pages have the sections a reader looks for.
    const std::pair<const char*, QByteArrayList> sections[] = {
        {"quenby.1.gz",
         {".SH OPTIONS", ".SH KEYBOARD", ".SH FILES", ".SH \"EXIT STATUS\"", ".SH EXAMPLES"}},
        {"quenby-strip.1.gz", {".SH OPTIONS", ".SH \"EXIT STATUS\"", ".SH EXAMPLES"}},
    };
    for (const auto& [page, headings] : sections) {
        QProcess gzip;
        gzip.start(QStringLiteral("gzip"),
                   {QStringLiteral("-dc"),
                    root.filePath(QStringLiteral("share/man/man1/") + QLatin1String(page))});
        ASSERT_TRUE(gzip.waitForFinished(30000)) << page;
        const QByteArray text = gzip.readAllStandardOutput();
        for (const QByteArray& heading : headings)
            EXPECT_TRUE(text.contains("\n" + heading + "\n")) << page << ": " << heading.data();
    }
}

// A copy installed where its user cannot write keeps its settings in
// ~/.config/quenby/ instead.
TEST(Install, ACopyThatCannotWriteItsFolderKeepsItsSettingsInTheUsersConfigFolder) {
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "needs root and setpriv to run the copy as another user";
    QTemporaryDir prefix, home;
    ASSERT_TRUE(prefix.isValid() && home.isValid());
    ASSERT_TRUE(installInto(prefix.path()));
    const QDir root(prefix.path());
    // The prefix is root's and only readable to others; the home is nobody's.
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(prefix.path(), readable));
    ASSERT_TRUE(QFile::setPermissions(root.filePath(QStringLiteral("bin")), readable));
    ASSERT_EQ(::chown(QFile::encodeName(home.path()).constData(), 65534, 65534), 0);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(setpriv,
                  {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                   QStringLiteral("--clear-groups"), root.filePath(QStringLiteral("bin/quenby"))});
    ASSERT_TRUE(program.waitForStarted(30000));
    // Start-up prepares both files; wait for them where they belong.
    const QDir config(home.filePath(QStringLiteral(".config/quenby")));
    const QDeadlineTimer deadline(30000);
    while (!(config.exists(QStringLiteral("qnb.ini")) &&
             config.exists(QStringLiteral("qnbtext.ini"))) &&
           !deadline.hasExpired() && program.state() != QProcess::NotRunning) {
        program.waitForFinished(100);
    }
    const bool running = program.state() != QProcess::NotRunning;
    program.terminate();
    if (!program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished(10000);
    }
    ASSERT_TRUE(running) << program.readAll().toStdString();
    EXPECT_TRUE(config.exists(QStringLiteral("qnb.ini")));
    EXPECT_TRUE(config.exists(QStringLiteral("qnbtext.ini")));
    // What the user types is kept there: for the user alone.
    const auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(mode(config.path()), 0700u);
    EXPECT_EQ(mode(config.filePath(QStringLiteral("qnb.ini"))), 0600u);
    EXPECT_EQ(mode(config.filePath(QStringLiteral("qnbtext.ini"))), 0600u);
    EXPECT_EQ(QDir(root.filePath(QStringLiteral("bin")))
                  .entryList(QDir::Files)
                  .join(QLatin1Char(' '))
                  .toStdString(),
              "quenby quenby-strip")
        << "nothing written beside the installed programs";
}
