// The window as drawn: colours sampled from a grab of the whole window.
#include "window_fixture.h"

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quenby::testing;

namespace {

// A control's rectangle in pixels from its twips (15 to a pixel).
QRect px(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

// The left part of a wide label, where its caption is drawn and nothing
// lies on top of it.
QRect captionPart(const QRect& r, int width) {
    return {r.left(), r.top(), width, r.height()};
}

// Text drawn over teal (0, 128, 128) blends towards its colour: white text
// keeps green and blue equal, light green (192, 255, 192) pulls green above
// blue, grey (160) never takes red above 160.
bool isWhite(QRgb c) {
    return qRed(c) >= 200 && std::abs(qGreen(c) - qBlue(c)) <= 6;
}
bool isLightGreen(QRgb c) {
    return qGreen(c) >= 225 && qGreen(c) - qBlue(c) >= 30 && qRed(c) <= 205;
}
bool hasInk(QRgb c) { // any text colour drawn over teal has red in it
    return qRed(c) >= 100;
}
bool isBrighterThanGrey(QRgb c) {
    return qRed(c) > 170;
}
bool isDark(QRgb c) {
    return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80;
}

int countIn(const QImage& image, const QRect& r, bool (*test)(QRgb)) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

std::string rgb(QRgb c) {
    return "(" + std::to_string(qRed(c)) + "," + std::to_string(qGreen(c)) + "," +
           std::to_string(qBlue(c)) + ")";
}

// One sampled claim: in this rectangle, some pixel (or none) passes test.
struct Sample {
    const char* what;
    QRect where;
    bool (*test)(QRgb);
    bool some; // true: at least one pixel passes; false: none does
};

class LookTest : public WindowTest {
protected:
    QImage grab() {
        QApplication::processEvents();
        return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static void check(const QImage& image, const std::vector<Sample>& samples) {
        for (const Sample& s : samples) {
            const int n = countIn(image, s.where, s.test);
            if (s.some)
                EXPECT_GT(n, 0) << s.what;
            else
                EXPECT_EQ(n, 0) << s.what;
        }
    }
    // Exact colour at a point.
    static void expectColour(const QImage& image, const char* what, QPoint p, QColor colour) {
        EXPECT_EQ(rgb(image.pixel(p)), rgb(colour.rgb()))
            << what << " at " << p.x() << "," << p.y();
    }
};

const QRect kLabel2 = px(5280, 720, 4815, 255);
const QRect kLabel6 = px(5280, 6720, 4815, 255);
const QRect kCopyOutput = px(5280, 120, 2175, 375);

} // namespace

TEST_F(LookTest, TealWindowWhiteCaptionsGreyStringBoxesBlackMarker) {
    Skivler& s = open();
    s.yy->setText(QStringLiteral("W"));
    const QImage image = grab();
    ASSERT_EQ(image.size(), QSize(690, 531));

    // Background where no control stands: the margins and the gap between
    // the text areas.
    for (const QPoint p : {QPoint(5, 5), QPoint(344, 200), QPoint(682, 300), QPoint(5, 525)})
        expectColour(image, "window background", p, QColor(0, 128, 128));

    // The string boxes: light grey inside, also the disabled replace box.
    const QRect strip = px(5280, 6360, 4815, 285);
    const QRect replace = px(5280, 6960, 4815, 285);
    expectColour(image, "strip string box", strip.center(), QColor(224, 224, 224));
    expectColour(image, "replace box (disabled)", replace.center(), QColor(224, 224, 224));
    const QRect count = px(9600, 6660, 495, 285);
    expectColour(image, "occurrences box", QPoint(count.left() + 4, count.center().y()),
                 QColor(224, 224, 224));

    // The marker box: black, with its character in white.
    const QRect marker = px(4680, 7440, 255, 285);
    expectColour(image, "marker box", QPoint(marker.left() + 3, marker.top() + 4), QColor(0, 0, 0));

    check(image,
          {
              {"marker character in white", marker, isWhite, true},
              {"\"Strip:\" in white", px(240, 6120, 375, 255), isWhite, true},
              {"\"User-defined ...\" in white", px(240, 7200, 4095, 255), isWhite, true},
              {"\"Numbers\" in white", px(3720, 6120, 1095, 195), isWhite, true},
              {"\"Remember settings\" in white", px(8400, 7560, 1695, 255), isWhite, true},
              {"\"case\" frame title in white", px(840, 6360, 2415, 255), isWhite, true},
              {"\"OUTPUT TEXT\" in white", captionPart(kLabel2, 150), isWhite, true},
              {"\"Replace with ...\" drawn", captionPart(kLabel6, 150), hasInk, true},
              {"\"Replace with ...\" greyed", captionPart(kLabel6, 150), isBrighterThanGrey, false},
              {"\"Copy Output\" in dark text", kCopyOutput, isDark, true},
          });
}

TEST_F(LookTest, AutoCopyOnShowsAGreenCaptionAndAGreyedCopyButton) {
    Skivler& s = open();
    s.yesCopy->setValue(1); // from the program: no question
    const QImage image = grab();
    check(image,
          {
              {"\"OUTPUT TEXT ON CLIPBOARD\" in light green", captionPart(kLabel2, 200),
               isLightGreen, true},
              {"\"OUTPUT TEXT ON CLIPBOARD\" not white", captionPart(kLabel2, 200), isWhite, false},
              {"\"Copy Output\" greyed", kCopyOutput, isDark, false},
          });

    s.yesCopy->setValue(0);
    check(grab(), {
                      {"\"OUTPUT TEXT\" white again", captionPart(kLabel2, 150), isWhite, true},
                      {"no green left", captionPart(kLabel2, 200), isLightGreen, false},
                  });
}

TEST_F(LookTest, TheReplaceCaptionTurnsWhiteWithAStripString) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("banana"));
    s.StripString->setText(QStringLiteral("an"));
    check(grab(), {{"\"Replace with ...\" in white", captionPart(kLabel6, 150), isWhite, true}});
}

// When the desktop's theme changes its colours while the window is open (a
// dark mode switched on, then off), the text boxes follow: on dark boxes the
// string boxes and the marker take the theme's colours, on light ones their
// grey and black again.
TEST_F(LookTest, TheStringBoxesAndTheMarkerFollowAChangeOfTheTheme) {
    open();
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(36, 36, 36));
    dark.setColor(QPalette::Text, QColor(255, 255, 255));
    const QRect strip = px(5280, 6360, 4815, 285);
    const QRect marker = px(4680, 7440, 255, 285);
    const QPoint markerGround(marker.left() + 3, marker.top() + 4);

    QApplication::setPalette(dark);
    QImage image = grab();
    expectColour(image, "strip string box, dark theme", strip.center(), QColor(36, 36, 36));
    expectColour(image, "marker box, dark theme", markerGround, QColor(36, 36, 36));
    expectColour(image, "window background", QPoint(5, 5), QColor(0, 128, 128));

    QApplication::setPalette(light);
    image = grab();
    expectColour(image, "strip string box, light again", strip.center(), QColor(224, 224, 224));
    expectColour(image, "marker box, light again", markerGround, QColor(0, 0, 0));
}
