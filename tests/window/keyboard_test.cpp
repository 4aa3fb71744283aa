// The keyboard walk: Tab and Shift+Tab through the window as a person does.
//
// The order is the window table's tab column. A control takes the focus
// only while it is visible and enabled. The three case buttons form one
// group and one stop: Tab lands on the selected button, from either side,
// and the arrow keys move the selection inside the group, the usual
// convention for option buttons: the focus frame never sits on a choice
// that is not the current one. (Qt's own rule lets Tab land on one button
// per group, the first one met, selected or not, so that the stop depends
// on the direction and on where the focus was before.)
#include "support/rows.h"
#include "window_fixture.h"

#include <QApplication>
#include <QRadioButton>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

using namespace quenby::testing;

using KeyboardTest = WindowTest;

namespace {

using quenby::test::operator<<;

// Every control that can take the focus, with its place in the tab column.
struct Stop {
    const char* name;
    int tab;
};
const Stop kTabColumn[] = {
    {"Text1", 0},
    {"Text4", 1},
    {"StripString", 2},
    {"ReplaceString", 3},
    {"Text2", 4},
    {"cmdClearTexts", 5},
    {"A", 8},
    {"aa", 9},
    {"E", 10},
    {"ee", 11},
    {"I", 12},
    {"ii", 13},
    {"O", 14},
    {"oo", 15},
    {"U", 16},
    {"uu", 17},
    {"cmdClearVowels", 19},
    {"Y", 20},
    {"yy", 21},
    {"cmdInput", 23},
    {"cmdOutput", 24},
    {"cmdOutToIn", 25},
    {"yesCopy", 27},
    {"yesWrap", 29},
    {"Text5", 30},
    {"cmdAll1", 31},
    {"cmdAll2", 32},
    {"yesCase", 33},
    {"txtN", 34},
    {"noNums", 36},
    {"noPunc", 37},
    {"noGaps", 38},
    {"yesRemember", 39},
    {"cmdDefaults", 40},
    {"sus", 42},
    {"noVowels", 43},
    {"Option2_0", 45},
    {"Option2_1", 46},
    {"Option2_2", 47},
    {"noY", 49},
    {"cmdNone1", 51},
    {"cmdNone2", 53},
    {"yesPaste", 55},
};

std::string nameOf(const QWidget* w) {
    return w ? w->objectName().toStdString() : std::string("(nothing)");
}

std::vector<std::string> names(const std::vector<QWidget*>& widgets) {
    std::vector<std::string> out;
    for (QWidget* w : widgets)
        out.push_back(nameOf(w));
    return out;
}

// A walk as one readable line.
std::string line(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : " > ") + name;
    return out;
}

enum class State {
    DesignTime,
    StripStringEntered,
    WordWrapOff,
    UpperCaseChosen,
    VowelsOff,
    AutoCopyOn
};

struct Scenario {
    const char* name;
    State state;
    std::vector<std::string> present; // must be stops of the walk
    std::vector<std::string> absent;  // must never take the focus
};

const Scenario kScenarios[] = {
    {"DesignTime",
     State::DesignTime,
     {"Text1", "Text2", "StripString", "cmdOutput", "noY", "Option2_2"},
     {"Text4", "Text5", "ReplaceString", "Option2_0", "Option2_1", "Y", "sus"}},
    {"StripStringEntered", State::StripStringEntered, {"ReplaceString"}, {"Y", "sus"}},
    {"WordWrapOff", State::WordWrapOff, {"Text4", "Text5"}, {"Text1", "Text2", "Y", "sus"}},
    {"UpperCaseChosen",
     State::UpperCaseChosen,
     {"Option2_0"},
     {"Option2_1", "Option2_2", "Y", "sus"}},
    {"VowelsOff", State::VowelsOff, {"noVowels"}, {"noY", "Y", "sus"}},
    {"AutoCopyOn", State::AutoCopyOn, {"yesCopy"}, {"cmdOutput", "Y", "sus"}},
};

class KeyboardWalk : public WindowTest, public ::testing::WithParamInterface<Scenario> {
protected:
    Skivler& openActive() {
        Skivler& s = open();
        s.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&s));
        return s;
    }

    void prepare(Skivler& s, State state) {
        switch (state) {
        case State::DesignTime:
            break;
        case State::StripStringEntered:
            s.Text1->setText(QStringLiteral("banana"));
            type(s.StripString, QStringLiteral("an"));
            break;
        case State::WordWrapOff:
            click(s.yesWrap);
            break;
        case State::UpperCaseChosen:
            click(s.Option2[0]);
            break;
        case State::VowelsOff:
            click(s.noVowels);
            break;
        case State::AutoCopyOn:
            s.yesCopy->setValue(1); // from the program: no question
            break;
        }
    }

    // The stops of the walk: the tab column's controls that are visible and
    // enabled, of the case group only the selected button.
    static std::vector<QWidget*> expectedStops(Skivler& s) {
        std::vector<Stop> column(std::begin(kTabColumn), std::end(kTabColumn));
        std::sort(column.begin(), column.end(),
                  [](const Stop& a, const Stop& b) { return a.tab < b.tab; });
        std::vector<QWidget*> stops;
        for (const Stop& stop : column) {
            auto* w = s.findChild<QWidget*>(QLatin1String(stop.name));
            EXPECT_NE(w, nullptr) << stop.name;
            if (!w || !w->isVisible() || !w->isEnabled())
                continue;
            if (auto* option = qobject_cast<QRadioButton*>(w); option && !option->isChecked())
                continue;
            stops.push_back(w);
        }
        return stops;
    }

    // Presses key (Tab or Shift+Tab) count times from start, as keys typed
    // on the window, and records where the focus goes each time.
    static std::vector<QWidget*> walk(Skivler& s, QWidget* start, Qt::Key key, std::size_t count) {
        start->setFocus(Qt::MouseFocusReason);
        std::vector<QWidget*> seen;
        for (std::size_t i = 0; i < count; ++i) {
            QTest::keyClick(s.windowHandle(), key);
            seen.push_back(QApplication::focusWidget());
        }
        return seen;
    }

    static std::string areaTexts(Skivler& s) {
        QString all;
        for (const quenby::TextArea* area : {s.Text1, s.Text4, s.Text2, s.Text5})
            all += area->text() + QLatin1Char('|');
        return all.replace(QLatin1Char('\t'), QLatin1String("<TAB>")).toStdString();
    }
};

} // namespace

TEST_P(KeyboardWalk, TabVisitsEveryVisibleEnabledControlInTheTableOrder) {
    const Scenario& scenario = GetParam();
    Skivler& s = openActive();
    prepare(s, scenario.state);

    const std::vector<QWidget*> stops = expectedStops(s);
    ASSERT_GT(stops.size(), 2u);
    const std::vector<std::string> stopNames = names(stops);
    for (const std::string& name : scenario.present)
        EXPECT_NE(std::find(stopNames.begin(), stopNames.end(), name), stopNames.end())
            << name << " should be a stop";

    const std::string textsBefore = areaTexts(s);
    // Forwards from the first stop: every other stop in order, then round.
    std::vector<std::string> forwards(stopNames.begin() + 1, stopNames.end());
    forwards.push_back(stopNames.front());
    const std::vector<QWidget*> tabbed = walk(s, stops.front(), Qt::Key_Tab, stops.size());
    EXPECT_EQ(line(names(tabbed)), line(forwards));

    // Backwards: the same stops the other way round.
    std::vector<std::string> backwards(stopNames.rbegin(), stopNames.rend());
    const std::vector<QWidget*> backtabbed = walk(s, stops.front(), Qt::Key_Backtab, stops.size());
    EXPECT_EQ(line(names(backtabbed)), line(backwards));

    for (const std::string& name : scenario.absent) {
        EXPECT_EQ(std::count(stopNames.begin(), stopNames.end(), name), 0) << name;
        for (const auto* seen : {&tabbed, &backtabbed})
            EXPECT_TRUE(std::none_of(seen->begin(), seen->end(),
                                     [&](QWidget* w) { return nameOf(w) == name; }))
                << name << " took the focus";
    }
    EXPECT_EQ(areaTexts(s), textsBefore) << "Tab moves the focus; it never types into a box";
}

INSTANTIATE_TEST_SUITE_P(Scenarios, KeyboardWalk, ::testing::ValuesIn(kScenarios),
                         quenby::test::RowName());

TEST_F(KeyboardTest, ArrowKeysMoveTheCaseSelectionInsideTheGroup) {
    Skivler& s = open();
    s.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    s.Option2[2]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(s.windowHandle(), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), s.Option2[1]);
    EXPECT_TRUE(s.Option2[1]->isChecked());
    QTest::keyClick(s.windowHandle(), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), s.Option2[0]);
    EXPECT_TRUE(s.Option2[0]->isChecked());
    EXPECT_FALSE(s.Option2[2]->isChecked());
}

TEST_F(KeyboardTest, WhenTheWindowOpensTheInputBoxHasTheFocus) {
    Skivler& s = open();
    s.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    EXPECT_EQ(nameOf(QApplication::focusWidget()), "Text1") << "the first place of the tab order";
}

// Ctrl+Q and Ctrl+W close the window wherever the focus is, also in a text
// box, which takes most other keys for itself.
TEST_F(KeyboardTest, CtrlQAndCtrlWCloseTheWindowFromAnyControl) {
    for (const Qt::Key key : {Qt::Key_Q, Qt::Key_W}) {
        for (const char* name : {"Text1", "Text2", "StripString", "txtN", "A", "yy", "cmdDefaults",
                                 "noVowels", "Option2_2"}) {
            Skivler& s = open();
            s.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
            auto* control = s.findChild<QWidget*>(QLatin1String(name));
            ASSERT_NE(control, nullptr) << name;
            control->setFocus(Qt::TabFocusReason);
            ASSERT_EQ(QApplication::focusWidget(), control) << name;
            QTest::keyClick(s.windowHandle(), key, Qt::ControlModifier);
            EXPECT_FALSE(s.isVisible()) << name << " with Ctrl+" << char(key);
        }
    }
}
