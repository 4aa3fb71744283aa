#include "window_fixture.h"

using namespace quenby;
using namespace quenby::testing;

using OptionsTest = WindowTest;

namespace {

// How a user (or the program) changes a check box.
enum class By { Mouse, SpaceBar, Program };

struct StoreCase {
    const char* box;
    const char* key;
    By by;
    bool stores;
};

const QString kAutoCopyQuestion = QStringLiteral(
    "If Auto-copy is used (with Settings Remembered enabled)\r\nthe clipboard contents will be "
    "modified at run-time.\r\n\r\nTurn Auto-Copy On?");
const QString kAutoPasteQuestion = QStringLiteral(
    "Auto-paste will over-ride and replace any saved texts\r\nwith whatvever text is on the "
    "clipboard at run-time.\r\n\r\nTurn Auto-Paste On?");

} // namespace

class StoreTest : public WindowTest, public ::testing::WithParamInterface<StoreCase> {};

// Mouse changes are stored, keyboard and program changes are not; "Include Y"
// stores on key release and, like the others, on mouse release.
TEST_P(StoreTest, StoresExactlyWhenTheHandlingSays) {
    const StoreCase c = GetParam();
    Skivler& s = open();
    s.yesRemember->setValue(1); // saves everything once
    auto* box = s.findChild<CheckBox*>(QLatin1String(c.box));
    ASSERT_NE(box, nullptr);
    const int before = box->value();
    const QByteArray fileBefore = bytes("qnb.ini");
    switch (c.by) {
    case By::Mouse:
        click(box);
        break;
    case By::SpaceBar:
        pressSpace(box);
        break;
    case By::Program:
        box->setValue(1 - before);
        break;
    }
    EXPECT_EQ(box->value(), 1 - before) << "the value changed";
    const QByteArray line = QByteArray(c.key) + "=" + QByteArray::number(1 - before) + "\r\n";
    if (c.stores)
        EXPECT_TRUE(bytes("qnb.ini").contains(line)) << bytes("qnb.ini").toStdString();
    else
        EXPECT_EQ(bytes("qnb.ini"), fileBefore);
}

// Outside the macro: the commas of a braced list would split its arguments.
static std::string storeCaseName(const ::testing::TestParamInfo<StoreCase>& info) {
    const char* by[] = {"Mouse", "SpaceBar", "Program"};
    return std::string(info.param.box) + "_" + by[int(info.param.by)];
}

INSTANTIATE_TEST_SUITE_P(CheckBoxes, StoreTest,
                         ::testing::Values(StoreCase{"noVowels", "StripVowels", By::Mouse, true},
                                           StoreCase{"noVowels", "StripVowels", By::SpaceBar,
                                                     false},
                                           StoreCase{"noVowels", "StripVowels", By::Program, false},
                                           StoreCase{"noY", "incY", By::Mouse, true},
                                           StoreCase{"noY", "incY", By::SpaceBar, true},
                                           StoreCase{"noY", "incY", By::Program, false},
                                           StoreCase{"noGaps", "StripSpaces", By::Mouse, true},
                                           StoreCase{"noGaps", "StripSpaces", By::SpaceBar, false},
                                           StoreCase{"noNums", "StripNumbers", By::Mouse, true},
                                           StoreCase{"noPunc", "StripPunctuation", By::Mouse, true},
                                           StoreCase{"yesCase", "SameCase", By::Mouse, true},
                                           StoreCase{"yesCase", "SameCase", By::SpaceBar, false},
                                           StoreCase{"yesWrap", "WrapText", By::Mouse, true},
                                           StoreCase{"yesWrap", "WrapText", By::Program, false}),
                         storeCaseName);

TEST_F(OptionsTest, ARightClickStoresTheSameValueAgain) {
    Skivler& s = open();
    s.noNums->setValue(1);
    s.yesRemember->setValue(1);
    write("qnb.ini", "[Default]\r\n");
    QTest::mousePress(s.noNums, Qt::RightButton, Qt::NoModifier, QPoint(4, 5));
    QTest::mouseRelease(s.noNums, Qt::RightButton, Qt::NoModifier, QPoint(4, 5));
    EXPECT_EQ(s.noNums->value(), 1);
    EXPECT_TRUE(bytes("qnb.ini").contains("StripNumbers=1\r\n"));
}

TEST_F(OptionsTest, NothingIsStoredWithoutRemember) {
    Skivler& s = open();
    const QByteArray before = bytes("qnb.ini");
    for (CheckBox* box : {s.noVowels, s.noY, s.noGaps, s.noNums, s.noPunc, s.yesCase, s.yesWrap})
        click(box);
    click(s.Option2[1]);
    type(s.A, QStringLiteral("x"));
    EXPECT_EQ(bytes("qnb.ini"), before);
}

TEST_F(OptionsTest, TheCaseButtonsStoreOnTheMouseOnly) {
    Skivler& s = open();
    s.yesRemember->setValue(1);
    s.Text1->setText(QStringLiteral("Aa Ee"));
    click(s.Option2[1]);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("A E"));
    EXPECT_TRUE(bytes("qnb.ini").contains("CaseOption=1\r\n"));
    const QByteArray stored = bytes("qnb.ini");
    s.Option2[1]->setFocus();
    QTest::keyClick(s.Option2[1], Qt::Key_Left);
    EXPECT_TRUE(s.Option2[0]->isChecked());
    EXPECT_EQ(s.Text2->text(), QStringLiteral("a e"));
    EXPECT_EQ(bytes("qnb.ini"), stored);
}

TEST_F(OptionsTest, SlotsKeepTheirFirstCharacter) {
    Skivler& s = open();
    type(s.A, QStringLiteral("xy"));
    EXPECT_EQ(s.A->text(), QStringLiteral("x"));
    s.aa->setText(QStringLiteral("word"));
    EXPECT_EQ(s.aa->text(), QStringLiteral("w"));
    s.A->setFocus();
    s.A->setCursorPosition(0);
    QTest::keyClicks(s.A, QStringLiteral("z"));
    EXPECT_EQ(s.A->text(), QStringLiteral("z"));
    s.yy->setText(QStringLiteral("\U0001F600\U0001F601"));
    EXPECT_EQ(s.yy->text(), QStringLiteral("\U0001F600")) << "a whole code point stays";
}

TEST_F(OptionsTest, SlotsStripWithTheirMarker) {
    Skivler& s = open();
    click(s.noVowels);
    s.A->setText(QStringLiteral("x"));
    s.Text1->setText(QStringLiteral("xox"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("o"));
    s.yy->setText(QStringLiteral("*"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("*o*"));
    s.Y->setText(QStringLiteral("o"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("*o*")) << "the hidden slot is never consulted";
}

TEST_F(OptionsTest, ClearEmptiesTheSlotsAndRecomputesOnce) {
    Skivler& s = open();
    s.A->setText(QStringLiteral("x"));
    s.uu->setText(QStringLiteral("q"));
    s.Text1->setText(QStringLiteral("xq"));
    s.yesRemember->setValue(1);
    s.yesCopy->setValue(1);
    click(s.noVowels);
    const int before = copies();
    click(s.cmdClearVowels);
    EXPECT_EQ(copies() - before, 1);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("xq"));
    EXPECT_TRUE(bytes("qnb.ini").contains("Val01=\r\n"));
    EXPECT_TRUE(bytes("qnb.ini").contains("Val10=\r\n"));
    EXPECT_EQ(s.noVowels->value(), 0);
    EXPECT_EQ(s.noY->value(), 1);
}

TEST_F(OptionsTest, VowelsGreysIncludeYWithoutChangingIt) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("Yay"));
    click(s.noY);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Yy"));
    click(s.noVowels);
    EXPECT_FALSE(s.noY->isEnabled());
    EXPECT_EQ(s.noY->value(), 0);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Yay"));
    click(s.noVowels);
    EXPECT_TRUE(s.noY->isEnabled());
    EXPECT_EQ(s.noY->value(), 0);
}

TEST_F(OptionsTest, WordWrapSwapsTheBoxesWithoutRecomputing) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("one two"));
    s.yesCopy->setValue(1);
    const int before = copies();
    click(s.yesWrap);
    EXPECT_FALSE(s.Text1->isVisible());
    EXPECT_FALSE(s.Text2->isVisible());
    EXPECT_TRUE(s.Text4->isVisible());
    EXPECT_TRUE(s.Text5->isVisible());
    EXPECT_EQ(s.Text4->text(), QStringLiteral("one two"));
    EXPECT_EQ(s.Text5->text(), QStringLiteral("n tw"));
    EXPECT_EQ(copies(), before);
}

TEST_F(OptionsTest, AutoCopyCopiesAtOnceAndAsks) {
    Skivler& s = open();
    s.yesRemember->setValue(1);
    s.Text1->setText(QStringLiteral("abc"));
    dialogs.answers = {Answer::No};
    click(s.yesCopy);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Confirmation Needed"));
    EXPECT_EQ(dialogs.shown[0].text, kAutoCopyQuestion);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].defaultButton, Answer::Yes);
    EXPECT_EQ(clipboard.text, QStringLiteral("bc")) << "copied before the question";
    EXPECT_EQ(s.yesCopy->value(), 0);
    EXPECT_TRUE(s.cmdOutput->isEnabled());
    EXPECT_EQ(s.Label2->text(), QStringLiteral("OUTPUT TEXT"));
    EXPECT_EQ(s.Label2->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_FALSE(bytes("qnb.ini").contains("AutoCopy=1"));

    dialogs.answers = {Answer::Yes};
    click(s.yesCopy);
    EXPECT_FALSE(s.cmdOutput->isEnabled());
    EXPECT_EQ(s.Label2->text(), QStringLiteral("OUTPUT TEXT ON CLIPBOARD"));
    EXPECT_EQ(s.Label2->palette().color(QPalette::WindowText), QColor(192, 255, 192));
    EXPECT_TRUE(bytes("qnb.ini").contains("AutoCopy=1\r\n"));
    type(s.Text1, QStringLiteral("d"));
    EXPECT_EQ(clipboard.text, QStringLiteral("bcd"));

    // A release that changes nothing asks again; No unticks.
    dialogs.answers = {Answer::No};
    QTest::mousePress(s.yesCopy, Qt::RightButton, Qt::NoModifier, QPoint(4, 5));
    QTest::mouseRelease(s.yesCopy, Qt::RightButton, Qt::NoModifier, QPoint(4, 5));
    EXPECT_EQ(s.yesCopy->value(), 0);
    EXPECT_EQ(dialogs.shown.size(), 3u);
}

TEST_F(OptionsTest, AutoCopyByKeyboardAsksNothing) {
    Skivler& s = open();
    s.yesRemember->setValue(1);
    s.Text1->setText(QStringLiteral("abc"));
    const QByteArray before = bytes("qnb.ini");
    pressSpace(s.yesCopy);
    EXPECT_EQ(s.yesCopy->value(), 1);
    EXPECT_EQ(clipboard.text, QStringLiteral("bc"));
    EXPECT_EQ(s.Label2->text(), QStringLiteral("OUTPUT TEXT ON CLIPBOARD"));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(bytes("qnb.ini"), before);
    // Unticking with the mouse asks nothing and stores 0.
    click(s.yesCopy);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(bytes("qnb.ini").contains("AutoCopy=0\r\n"));
}

TEST_F(OptionsTest, AutoPasteAsksAndNeverTouchesTheInput) {
    Skivler& s = open();
    s.yesRemember->setValue(1);
    clipboard.text = QStringLiteral("clip");
    dialogs.answers = {Answer::No};
    click(s.yesPaste);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kAutoPasteQuestion);
    EXPECT_EQ(s.yesPaste->value(), 0);
    EXPECT_FALSE(bytes("qnb.ini").contains("AutoPaste=1"));
    dialogs.answers = {Answer::Yes};
    click(s.yesPaste);
    EXPECT_TRUE(bytes("qnb.ini").contains("AutoPaste=1\r\n"));
    EXPECT_EQ(s.Text1->text(), QString());
}

TEST_F(OptionsTest, ClipboardButtonsMoveTextInTheirOrder) {
    Skivler& s = open();
    clipboard.text = QStringLiteral("pasted");
    click(s.cmdInput);
    EXPECT_EQ(s.Text1->text(), QStringLiteral("pasted"));
    EXPECT_EQ(s.Text4->text(), QStringLiteral("pasted"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("pstd"));
    clipboard.calls.clear();
    click(s.cmdOutput);
    EXPECT_EQ(clipboard.calls, QStringList({QStringLiteral("Clear"), QStringLiteral("SetText")}));
    EXPECT_EQ(clipboard.text, QStringLiteral("pstd"));

    // The same text again changes no box but still computes once.
    s.yesCopy->setValue(1);
    clipboard.text = QStringLiteral("pasted");
    const int before = copies();
    click(s.cmdInput);
    EXPECT_EQ(copies() - before, 1);
}

TEST_F(OptionsTest, OutputBecomesInputWithoutTheStrings) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("a cat"));
    s.StripString->setText(QStringLiteral("cat"));
    s.ReplaceString->setText(QStringLiteral("dog"));
    ASSERT_EQ(s.Text2->text(), QStringLiteral(" dg"));
    click(s.cmdOutToIn);
    EXPECT_EQ(s.Text1->text(), QStringLiteral(" dg"));
    EXPECT_EQ(s.StripString->text(), QString());
    EXPECT_EQ(s.ReplaceString->text(), QString());
    EXPECT_EQ(s.Text2->text(), QStringLiteral(" dg"));
    EXPECT_EQ(s.txtN->text(), QString());
}

TEST_F(OptionsTest, OutputToInputStopsAtTheLengthCheckFirst) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("aaax"));
    s.StripString->setText(QStringLiteral("aaa"));
    ASSERT_EQ(s.Text2->text(), QStringLiteral("x"));
    dialogs.answers = {Answer::Cancel};
    click(s.cmdOutToIn);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(s.Text1->text(), QStringLiteral("x"));
    EXPECT_EQ(s.StripString->text(), QString());
    EXPECT_EQ(s.Text2->text(), QStringLiteral("x"));
}

TEST_F(OptionsTest, ClearTextEmptiesEverythingRemembered) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("abc"));
    s.StripString->setText(QStringLiteral("b"));
    s.ReplaceString->setText(QStringLiteral("r"));
    click(s.yesRemember);
    click(s.cmdClearTexts);
    for (TextArea* t : {s.Text1, s.Text2, s.Text4, s.Text5})
        EXPECT_EQ(t->text(), QString());
    EXPECT_EQ(s.StripString->text(), QString());
    EXPECT_TRUE(bytes("qnb.ini").contains("StripString=\r\n"));
    EXPECT_TRUE(bytes("qnb.ini").contains("ReplaceString=\r\n"));
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("\r\n"));
}

TEST_F(OptionsTest, ARefusedClipboardOnAButtonIsToldAndKeepsTheInput) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("kept"));
    clipboard.refuse = true;
    dialogs.answers = {Answer::Ok, Answer::Ok};
    click(s.cmdInput);
    click(s.cmdOutput);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(s.Text1->text(), QStringLiteral("kept"));
}
