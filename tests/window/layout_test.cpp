#include "window_fixture.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

using namespace quenby::testing;

using LayoutTest = WindowTest;

namespace {

enum Kind { Button, Check, Option, Label, Text, Line, Frame };

struct Row {
    const char* name;
    Kind kind;
    const char* caption;
    int left, top, width, height; // twips; for the option buttons, inside the frame
    int tab;
    bool visible = true;
    bool enabled = true;
    int value = 0; // check boxes: 0/1; option buttons: 1 when selected
};

// The window as a person finds it before start-up restores anything.
const Row kControls[] = {
    {"cmdInput", Button, "Paste Input", 240, 120, 2175, 375, 23},
    {"yesPaste", Check, "Auto-Paste", 2520, 120, 1095, 375, 55},
    {"cmdOutput", Button, "Copy Output", 5280, 120, 2175, 375, 24},
    {"yesCopy", Check, "Auto-Copy", 7560, 120, 1095, 375, 27},
    {"yesWrap", Check, "Word wrap", 8880, 120, 1215, 375, 29, true, true, 1},
    {"Label1", Label, "INPUT TEXT", 240, 720, 1455, 375, 6},
    {"cmdOutToIn", Button, "Use output as new input", 1440, 720, 1935, 255, 25},
    {"Label10", Label, "Select", 3480, 720, 615, 255, 52},
    {"cmdAll1", Button, "all", 4080, 720, 495, 255, 31},
    {"cmdNone1", Button, "none", 4560, 720, 495, 255, 51},
    {"Label2", Label, "OUTPUT TEXT", 5280, 720, 4815, 255, 7},
    {"Label11", Label, "Select", 8520, 720, 495, 255, 54},
    {"cmdAll2", Button, "all", 9120, 720, 495, 255, 32},
    {"cmdNone2", Button, "none", 9600, 720, 495, 255, 53},
    {"Text1", Text, "", 240, 960, 4815, 5055, 0},
    {"Text4", Text, "", 240, 960, 4815, 5055, 1, false},
    {"Text2", Text, "", 5280, 960, 4815, 5055, 4},
    {"Text5", Text, "", 5280, 960, 4815, 5055, 30, false},
    {"Label7", Label, "Strip:", 240, 6120, 375, 255, 41},
    {"noVowels", Check, "Vowels", 840, 6120, 855, 195, 43, true, true, 1},
    {"noY", Check, "Include Y", 2280, 6120, 975, 195, 49, true, true, 1},
    {"frameCase", Frame, "case", 840, 6360, 2415, 615, 44},
    {"noNums", Check, "Numbers", 3720, 6120, 1095, 195, 36},
    {"noGaps", Check, "Spaces", 3720, 6480, 975, 195, 38},
    {"noPunc", Check, "Punctuation", 3720, 6840, 1215, 195, 37},
    {"Label4", Label, "Strip this string", 5280, 6120, 4815, 255, 26},
    {"yesCase", Check, "Case sensitive", 8640, 6120, 1455, 255, 33, true, true, 1},
    {"StripString", Line, "", 5280, 6360, 4815, 285, 2},
    {"Label6", Label, "Replace with ...", 5280, 6720, 4815, 255, 28, true, false},
    {"Label5", Label, "Occurrences", 8640, 6720, 975, 255, 35},
    {"txtN", Line, "", 9600, 6660, 495, 285, 34},
    {"ReplaceString", Line, "", 5280, 6960, 4815, 285, 3, true, false},
    {"Option2_0", Option, "uppr", 120, 240, 615, 255, 45},
    {"Option2_1", Option, "lwr", 840, 240, 615, 255, 46},
    {"Option2_2", Option, "both", 1560, 240, 735, 255, 47, true, true, 1},
    {"Label3", Label, "User-defined (and not already stripped elsewhere)", 240, 7200, 4095, 255,
     22},
    {"Label8", Label, "Marker", 4440, 7200, 735, 255, 48},
    {"cmdClearVowels", Button, "clear", 240, 7440, 495, 315, 19},
    {"A", Line, "", 840, 7440, 255, 285, 8},
    {"E", Line, "", 1200, 7440, 255, 285, 10},
    {"I", Line, "", 1560, 7440, 255, 285, 12},
    {"O", Line, "", 1920, 7440, 255, 285, 14},
    {"U", Line, "", 2280, 7440, 255, 285, 16},
    {"aa", Line, "", 2640, 7440, 255, 285, 9},
    {"ee", Line, "", 3000, 7440, 255, 285, 11},
    {"ii", Line, "", 3360, 7440, 255, 285, 13},
    {"oo", Line, "", 3720, 7440, 255, 285, 15},
    {"uu", Line, "", 4080, 7440, 255, 285, 17},
    {"Label9", Label, "=", 4440, 7440, 135, 255, 50},
    {"yy", Line, "", 4680, 7440, 255, 285, 21},
    {"cmdDefaults", Button, "Reset to Defaults", 5280, 7440, 1455, 375, 40},
    {"cmdClearTexts", Button, "Clear Text", 6840, 7440, 1455, 375, 5},
    {"yesRemember", Check, "Remember settings", 8400, 7560, 1695, 255, 39},
    {"Y", Line, "", -1, -1, -1, -1, 20, false},
    {"sus", Check, "sus", -1, -1, -1, -1, 42, false},
};

QString captionOf(QWidget* w, Kind kind) {
    switch (kind) {
    case Button:
    case Check:
    case Option:
        return static_cast<QAbstractButton*>(w)->text();
    case Label:
        return static_cast<QLabel*>(w)->text();
    case Frame:
        return static_cast<QGroupBox*>(w)->title();
    case Text:
        return static_cast<QPlainTextEdit*>(w)->toPlainText();
    case Line:
        return static_cast<QLineEdit*>(w)->text();
    }
    return {};
}

} // namespace

TEST_F(LayoutTest, EveryControlStandsAtItsPlaceWithItsDesignTimeLook) {
    // An empty folder and no restore: the design-time values stand.
    Skivler& s = open();
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Quenby 5.0"));
    EXPECT_EQ(s.size(), QSize(690, 531));
    EXPECT_EQ(s.minimumSize(), s.maximumSize()) << "the window must not be resizable";
    EXPECT_EQ(s.palette().color(QPalette::Window), QColor(0, 128, 128));

    for (const Row& r : kControls) {
        SCOPED_TRACE(r.name);
        auto* c = s.findChild<QWidget*>(QLatin1String(r.name));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(captionOf(c, r.kind), QLatin1String(r.caption));
        if (r.left >= 0) {
            EXPECT_EQ(c->geometry(), QRect(r.left / 15, r.top / 15, r.width / 15, r.height / 15));
        }
        EXPECT_EQ(c->isVisible(), r.visible);
        EXPECT_EQ(c->isEnabled(), r.enabled);
        EXPECT_EQ(c->property("tabIndex").toInt(), r.tab);
        if (r.kind == Check) {
            EXPECT_EQ(static_cast<quenby::CheckBox*>(c)->value(), r.value);
        }
        if (r.kind == Option) {
            EXPECT_EQ(static_cast<QAbstractButton*>(c)->isChecked(), r.value == 1);
        }
        if (r.kind == Label || r.kind == Check || r.kind == Option || r.kind == Frame) {
            const QPalette::ColorGroup group =
                c->isEnabled() ? QPalette::Active : QPalette::Disabled;
            EXPECT_EQ(c->palette().color(group, QPalette::WindowText),
                      c->isEnabled() ? QColor(255, 255, 255) : QColor(160, 160, 160));
        }
    }
    EXPECT_EQ(s.Option2[0]->parentWidget(), s.frameCase);

    for (QWidget* bold : {static_cast<QWidget*>(s.cmdInput), static_cast<QWidget*>(s.cmdOutput),
                          static_cast<QWidget*>(s.Label1), static_cast<QWidget*>(s.Label2)})
        EXPECT_TRUE(bold->font().bold()) << bold->objectName().toStdString();
    EXPECT_FALSE(s.noVowels->font().bold());
    for (QWidget* grey : {static_cast<QWidget*>(s.StripString),
                          static_cast<QWidget*>(s.ReplaceString), static_cast<QWidget*>(s.txtN)})
        EXPECT_EQ(grey->palette().color(QPalette::Base), QColor(224, 224, 224));
    EXPECT_EQ(s.yy->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(s.yy->palette().color(QPalette::Text), QColor(255, 255, 255));
    EXPECT_TRUE(s.txtN->isReadOnly());
    EXPECT_EQ(s.Text1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(s.Text4->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(s.Text2->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(s.Text5->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(s.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(LayoutTest, KeyboardFocusFollowsTheTabOrder) {
    Skivler& s = open();
    // The focus chain, restricted to controls that take the focus, is the
    // table's tab order.
    std::vector<std::pair<int, QWidget*>> expected;
    for (const Row& r : kControls) {
        auto* c = s.findChild<QWidget*>(QLatin1String(r.name));
        if (c->focusPolicy() & Qt::TabFocus)
            expected.emplace_back(r.tab, c);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<QWidget*> chain;
    QWidget* start = expected.front().second;
    QWidget* it = start;
    do {
        if (std::any_of(expected.begin(), expected.end(),
                        [it](const auto& e) { return e.second == it; }))
            chain.push_back(it);
        it = it->nextInFocusChain();
    } while (it != start);
    ASSERT_EQ(chain.size(), expected.size());
    for (std::size_t i = 0; i < chain.size(); ++i)
        EXPECT_EQ(chain[i], expected[i].second) << "place " << i;
}
