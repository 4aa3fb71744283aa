// The window as a screen reader meets it, through Qt's accessibility
// interface: every control has a name, and controls that a listener could
// mix up have names (and descriptions) that tell them apart.
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace quenby::testing;

using AccessibilityTest = WindowTest;

namespace {

// What a screen reader hears of a control.
std::string said(QWidget* w, QAccessible::Text what) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(what).toStdString() : "<no interface>";
}

bool isLabel(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface && iface->role() == QAccessible::StaticText;
}

} // namespace

TEST_F(AccessibilityTest, EveryControlHasANameThatTellsItApart) {
    Skivler& s = open();
    // A top-level window, as a screen reader announces it by its title.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&s)->role(), QAccessible::Window);
    EXPECT_EQ(said(&s, QAccessible::Name), "Quenby 5.0");

    QList<QWidget*> controls = s.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    controls += s.frameCase->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(controls.size(), 55) << "every control of the window, the case buttons included";

    for (const int wrap : {1, 0}) { // each box of a text pair shows once
        s.yesWrap->setValue(wrap);
        // Among the controls on screen, a name is heard once among the
        // controls a user acts on, and once among the labels; a label may
        // share its name with the box it captions ("Occurrences").
        std::map<std::pair<bool, QString>, QString> heard;
        for (QWidget* c : controls) {
            const QString name = QString::fromStdString(said(c, QAccessible::Name));
            SCOPED_TRACE(c->objectName().toStdString() + ": " + name.toStdString());
            EXPECT_FALSE(name.trimmed().isEmpty());
            if (!c->isVisible())
                continue;
            const auto [it, fresh] =
                heard.emplace(std::make_pair(isLabel(c), name.toLower()), c->objectName());
            EXPECT_TRUE(fresh) << "also the name of " << it->second.toStdString();
        }
    }

    // The boxes of a pair are one text to the listener.
    EXPECT_EQ(said(s.Text1, QAccessible::Name), "Input text");
    EXPECT_EQ(said(s.Text4, QAccessible::Name), "Input text");
    EXPECT_EQ(said(s.Text2, QAccessible::Name), "Output text");
    EXPECT_EQ(said(s.Text5, QAccessible::Name), "Output text");
    EXPECT_EQ(said(s.StripString, QAccessible::Name), "Strip this string");
    EXPECT_EQ(said(s.ReplaceString, QAccessible::Name), "Replace with");
    EXPECT_EQ(said(s.txtN, QAccessible::Name), "Occurrences");
    EXPECT_EQ(said(s.yy, QAccessible::Name), "Marker");

    // The slotBoxes are numbered as the user sees them, left to right.
    std::vector<QWidget*> slotBoxes = {s.A, s.E, s.I, s.O, s.U, s.aa, s.ee, s.ii, s.oo, s.uu};
    std::sort(slotBoxes.begin(), slotBoxes.end(),
              [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    for (std::size_t i = 0; i < slotBoxes.size(); ++i)
        EXPECT_EQ(said(slotBoxes[i], QAccessible::Name), "Character slot " + std::to_string(i + 1));

    // The four small buttons keep their captions; names and descriptions say
    // which text they select.
    const std::map<QAbstractButton*, std::string> select = {
        {s.cmdAll1, "all"}, {s.cmdNone1, "none"}, {s.cmdAll2, "all"}, {s.cmdNone2, "none"}};
    std::map<std::string, QAbstractButton*> descriptions;
    for (const auto& [button, caption] : select) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(button->text().toStdString(), caption);
        EXPECT_NE(said(button, QAccessible::Name).find(caption), std::string::npos);
        const std::string d = said(button, QAccessible::Description);
        const bool input = button == s.cmdAll1 || button == s.cmdNone1;
        EXPECT_NE(d.find(input ? " input " : " output "), std::string::npos) << d;
        EXPECT_TRUE(descriptions.emplace(d, button).second) << d;
    }
    EXPECT_EQ(said(s.cmdAll1, QAccessible::Description),
              "Select the whole input text and put the focus on it");
}
