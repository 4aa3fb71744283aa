// `cmake --install` into a temporary prefix puts the program, its desktop
// entry and its icon where desktops look for them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
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

} // namespace

TEST(Install, PutsTheProgramTheDesktopEntryAndTheIconInTheirXdgPlaces) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUENBY_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(QUENBY_BUILD_DIR),
                   QStringLiteral("--prefix"), prefix.path()});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    const QDir root(prefix.path());

    const QFileInfo program(root.filePath(QStringLiteral("bin/quenby")));
    EXPECT_TRUE(program.isFile() && program.isExecutable()) << "bin/quenby";

    const std::map<QString, QString> entry =
        desktopEntry(root.filePath(QStringLiteral("share/applications/quenby.desktop")));
    ASSERT_FALSE(entry.empty()) << "share/applications/quenby.desktop with [Desktop Entry]";
    const std::pair<const char*, const char*> wanted[] = {
        {"Type", "Application"}, {"Name", "Quenby"},    {"Exec", "quenby"},
        {"Icon", "quenby"},      {"Terminal", "false"}, {"Categories", "Utility;TextTools;"},
    };
    for (const auto& [key, value] : wanted) {
        const auto it = entry.find(QLatin1String(key));
        ASSERT_NE(it, entry.end()) << key;
        EXPECT_EQ(it->second, QLatin1String(value)) << key;
    }
    // The entry names what was installed: its Exec is the program in bin/,
    // its Icon an icon of that name in the theme and among the pixmaps.
    EXPECT_EQ(entry.at(QStringLiteral("Exec")), program.fileName());
    const QString icon = entry.at(QStringLiteral("Icon")) + QStringLiteral(".xpm");
    for (const QString& folder :
         {QStringLiteral("share/icons/hicolor/32x32/apps"), QStringLiteral("share/pixmaps")}) {
        const QImage image(root.filePath(folder + QLatin1Char('/') + icon));
        EXPECT_EQ(std::make_pair(image.width(), image.height()), std::make_pair(32, 32))
            << folder.toStdString() << "/" << icon.toStdString();
    }
}
