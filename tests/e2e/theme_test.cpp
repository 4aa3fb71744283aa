// The window under a desktop theme, on a real X server: the text boxes and
// buttons take the theme's colours, the rest keeps the window's own teal and
// white. The picture is quenby-screenshot's, which draws the window with a
// sample text, a strip string "fox" and its replacement "cat".
#include "desktop.h"

#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <cstdlib>

using namespace quenby::e2e;

namespace {

// A control's rectangle in pixels from its twips (15 to a pixel), shrunk by
// its frame.
QRect inner(const Twips& t) {
    return QRect(t.left / 15, t.top / 15, t.width / 15, t.height / 15).adjusted(3, 3, -3, -3);
}

int lightness(QRgb c) {
    return QColor(c).lightness();
}

// The lightness that most pixels of the rectangle have: the box's ground.
int groundLightness(const QImage& image, const QRect& r) {
    int counts[256] = {};
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[lightness(image.pixel(x, y))];
    int most = 0;
    for (int l = 1; l < 256; ++l)
        if (counts[l] > counts[most])
            most = l;
    return most;
}

// The lightest pixel of the rectangle: its text, on a dark ground.
int lightest(const QImage& image, const QRect& r) {
    int best = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            best = std::max(best, lightness(image.pixel(x, y)));
    return best;
}

constexpr Twips kInput{240, 960, 4815, 5055};
constexpr Twips kStripString{5280, 6360, 4815, 285};
constexpr Twips kReplaceString{5280, 6960, 4815, 285};
constexpr Twips kResetToDefaults{5280, 7440, 1455, 375};

} // namespace

TEST(DesktopTheme, ADarkGtkThemeGivesEveryTextBoxDarkGroundAndLightText) {
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QStringLiteral("/platformthemes/libqgtk3.so");
    ASSERT_TRUE(QFileInfo::exists(plugin))
        << plugin.toStdString() << " is missing (scripts/setup.sh installs qt6-gtk-platformtheme)";
    Desktop d;
    ASSERT_TRUE(d.startServer());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), d.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QStringLiteral("gtk3"));
    env.insert(QStringLiteral("GTK_THEME"), QStringLiteral("Adwaita:dark"));
    const QString picture = d.programFolder() + QStringLiteral("/dark.png");
    QProcess shot;
    shot.setProcessEnvironment(env);
    shot.setProcessChannelMode(QProcess::MergedChannels);
    shot.start(QStringLiteral(QUENBY_SCREENSHOT), {picture});
    ASSERT_TRUE(shot.waitForFinished(Desktop::kWaitMs));
    ASSERT_EQ(shot.exitCode(), 0) << shot.readAll().toStdString();
    const QImage image = QImage(picture).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(690, 531));

    // The input box holds four lines at its top; the string boxes a word each.
    struct Box {
        const char* what;
        QRect where;
    };
    for (const Box& box :
         {Box{"input box", inner(kInput)}, Box{"strip string", inner(kStripString)},
          Box{"replacement", inner(kReplaceString)},
          Box{"Reset to Defaults", inner(kResetToDefaults)}}) {
        const int ground = groundLightness(image, box.where);
        EXPECT_LT(ground, 90) << box.what << ": a dark ground";
        EXPECT_GT(lightest(image, box.where) - ground, 120) << box.what << ": light text on it";
    }
    // The window keeps its teal.
    EXPECT_EQ(QColor(image.pixel(5, 5)), QColor(0, 128, 128));
}
