#include "settings/savedtexts.h"
#include "window_fixture.h"

#include <QDir>

using namespace quenby;
using namespace quenby::testing;

using FieldsTest = WindowTest;

namespace {

const QString kInvalidInput =
    QStringLiteral("The string to be removed cannot be longer than the Input Text.\n\n"
                   "The entry will be removed.");

const QString kError534 = QStringLiteral(
    "Internal Error: 534\r\n\r\nIf you have 'Auto-Replace Clipboard' enabled it will only "
    "function if the 'Paste Input' button is used or if text is typed or dragged into the "
    "Input Text box.\r\n\r\nPasting directly from the clipboard yourself will result in this "
    "message because the clipboard cannot paste and copy simultaneously. Other faults can "
    "cause this error.");

} // namespace

TEST_F(FieldsTest, AKeystrokeRecomputesEveryBoxOnce) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("Hello wor"));
    s.StripString->setText(QStringLiteral("l"));
    s.yesCopy->setValue(1); // one clipboard copy per engine run
    const int before = copies();
    type(s.Text1, QStringLiteral("l"));
    EXPECT_EQ(s.Text1->text(), QStringLiteral("Hello worl"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("H wr"));
    EXPECT_EQ(s.Text5->text(), QStringLiteral("H wr"));
    EXPECT_EQ(s.Text4->text(), QStringLiteral("Hello worl"));
    EXPECT_EQ(s.txtN->text(), QStringLiteral("3"));
    EXPECT_EQ(copies() - before, 1) << "one run for the keystroke";
    EXPECT_EQ(clipboard.text, QStringLiteral("H wr"));
}

TEST_F(FieldsTest, EditsInTheUnwrappedBoxReachTheInputAndTheOutput) {
    Skivler& s = open();
    click(s.yesWrap);
    ASSERT_TRUE(s.Text4->isVisible());
    s.yesCopy->setValue(1);
    const int before = copies();
    type(s.Text4, QStringLiteral("bat"));
    EXPECT_EQ(s.Text1->text(), QStringLiteral("bat"));
    EXPECT_EQ(s.Text5->text(), QStringLiteral("bt"));
    EXPECT_EQ(copies() - before, 3) << "one engine run per keystroke";
}

TEST_F(FieldsTest, TextAreasKeepNoBreakSpacesAndHoldLineFeeds) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("a\u00A0b\r\nc\rd"));
    EXPECT_EQ(s.Text1->text(), QStringLiteral("a\u00A0b\nc\nd"));
    s.noPunc->setValue(1);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("b\nc\nd"));
}

TEST_F(FieldsTest, GivingABoxItsOwnTextRaisesNothing) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("same"));
    s.yesCopy->setValue(1);
    const int before = copies();
    s.Text1->setText(QStringLiteral("same"));
    s.Text4->setText(QStringLiteral("same"));
    s.StripString->setText(QString());
    EXPECT_EQ(copies(), before);
}

TEST_F(FieldsTest, ALineBoxTakesMoreThanThirtyTwoThousandCharacters) {
    Skivler& s = open();
    const QString input(100000, QLatin1Char('x'));
    s.Text1->setText(input);
    s.StripString->setText(QString(40000, QLatin1Char('x')));
    EXPECT_EQ(s.StripString->text().size(), 40000);
    EXPECT_EQ(s.txtN->text(), QStringLiteral("2"));
}

TEST_F(FieldsTest, InvalidInputOkEmptiesTheStripStringAndRecomputes) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("ab"));
    s.StripString->setText(QStringLiteral("b"));
    s.ReplaceString->setText(QStringLiteral("Z"));
    ASSERT_EQ(s.Text2->text(), QStringLiteral("Z"));
    dialogs.answers = {Answer::Ok};
    type(s.StripString, QStringLiteral("cd")); // "bc" passes, "bcd" is too long
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Invalid Input"));
    EXPECT_EQ(dialogs.shown[0].text, kInvalidInput);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
    // The nested run computed the output without a string pass.
    EXPECT_EQ(s.StripString->text(), QString());
    EXPECT_EQ(s.ReplaceString->text(), QString());
    EXPECT_FALSE(s.ReplaceString->isEnabled());
    EXPECT_EQ(s.Text2->text(), QStringLiteral("b"));
    EXPECT_EQ(s.txtN->text(), QString());
}

TEST_F(FieldsTest, InvalidInputCancelKeepsTheOutputAndAsksAgain) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("bx"));
    s.StripString->setText(QStringLiteral("bx"));
    s.ReplaceString->setText(QStringLiteral("Q"));
    ASSERT_EQ(s.txtN->text(), QStringLiteral("1")) << "as long as the input passes";
    dialogs.answers = {Answer::Cancel, Answer::Cancel};
    type(s.StripString, QStringLiteral("cd"));
    EXPECT_EQ(dialogs.shown.size(), 2u) << "asked at each keystroke";
    EXPECT_EQ(s.StripString->text(), QStringLiteral("bxcd"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Q")) << "the output of the last full run stays";
    EXPECT_EQ(s.txtN->text(), QString());
}

TEST_F(FieldsTest, TheSuspendFlagBlocksEveryRun) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("keep"));
    s.yesCopy->setValue(1);
    const int before = copies();
    s.sus->setValue(1);
    s.Text1->setText(QStringLiteral("other"));
    s.StripString->setText(QStringLiteral("o"));
    s.noGaps->setValue(1);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("kp"));
    EXPECT_EQ(s.Text4->text(), QStringLiteral("keep"));
    EXPECT_EQ(s.txtN->text(), QString());
    EXPECT_EQ(copies(), before);
}

TEST_F(FieldsTest, TheReplaceFieldFollowsTheStripString) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("text"));
    type(s.StripString, QStringLiteral("x"));
    EXPECT_TRUE(s.ReplaceString->isEnabled());
    EXPECT_TRUE(s.Label6->isEnabled());
    type(s.ReplaceString, QStringLiteral("y"));
    s.StripString->selectAll();
    QTest::keyClick(s.StripString, Qt::Key_Delete);
    EXPECT_EQ(s.ReplaceString->text(), QString());
    EXPECT_FALSE(s.ReplaceString->isEnabled());
    EXPECT_FALSE(s.Label6->isEnabled());
    type(s.ReplaceString, QStringLiteral("z"));
    EXPECT_EQ(s.ReplaceString->text(), QString()) << "a disabled box takes no typing";
}

TEST_F(FieldsTest, FieldsAreStoredOnlyWhileRemembering) {
    Skivler& s = open();
    const QByteArray emptyIni = bytes("qnb.ini");
    type(s.Text1, QStringLiteral("text"));
    type(s.StripString, QStringLiteral("ab"));
    EXPECT_EQ(bytes("qnb.ini"), emptyIni);
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray());

    s.yesRemember->setValue(1);
    type(s.ReplaceString, QStringLiteral("R"));
    s.Text1->setText(QStringLiteral("text\n2"));
    EXPECT_TRUE(bytes("qnb.ini").contains("ReplaceString=R\r\n"));
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("text\r\n2\r\n"));
}

TEST_F(FieldsTest, ARefusedClipboardGivesTheEngineMessage) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("abc"));
    clipboard.refuse = true;
    dialogs.answers = {Answer::Ok};
    s.yesCopy->setValue(1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Skiv"));
    EXPECT_EQ(dialogs.shown[0].text, kError534);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("bc")) << "the output was written before the copy";
}

// A long replacement for a frequent strip string: 2^31 units of output.
TEST_F(FieldsTest, AnOutputPastTheEngineLimitGivesTheEngineMessage) {
    Skivler& s = open();
    s.Text1->setText(QString(2048, QLatin1Char('e')) + QLatin1Char('b'));
    s.StripString->setText(QStringLiteral("e"));
    ASSERT_EQ(s.txtN->text(), QStringLiteral("2048"));
    ASSERT_EQ(s.Text2->text(), QStringLiteral("b"));
    dialogs.answers = {Answer::Ok};
    s.ReplaceString->setText(QString(1 << 20, QLatin1Char('x')));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Skiv"));
    EXPECT_EQ(dialogs.shown[0].text, kError534);
    EXPECT_EQ(s.txtN->text(), QString()) << "emptied before the run failed";
    EXPECT_EQ(s.Text2->text(), QStringLiteral("b")) << "the previous output stays";
}

TEST_F(FieldsTest, AFailingWriteKeepsTheWindowAndIsToldOnce) {
    Skivler& s = open();
    s.yesRemember->setValue(1);
    // A directory where the saved-texts file should be: no write can succeed.
    ASSERT_TRUE(QFile::remove(folder.file(QStringLiteral("qnbtext.ini"))));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("qnbtext.ini")));
    dialogs.answers = {Answer::Ok};
    type(s.Text1, QStringLiteral("abc"));
    ASSERT_EQ(dialogs.shown.size(), 1u) << "once, not at every keystroke";
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Skiv"));
    EXPECT_TRUE(dialogs.shown[0].text.contains(folder.file(QStringLiteral("qnbtext.ini"))));
    EXPECT_EQ(s.Text1->text(), QStringLiteral("abc"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("bc"));

    // Writes that work in between: the next failure is told again.
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("qnbtext.ini")));
    type(s.StripString, QStringLiteral("q"));
    EXPECT_EQ(TxtLoad(folder.path()), QStringLiteral("abc")) << "the text kept during the failure";
    ASSERT_TRUE(QFile::remove(folder.file(QStringLiteral("qnbtext.ini"))));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("qnbtext.ini")));
    dialogs.answers = {Answer::Ok};
    type(s.Text1, QStringLiteral("d"));
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(FieldsTest, SelectAllAndNoneWorkOnTheShownBox) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("input"));
    click(s.yesWrap);
    click(s.cmdAll1);
    EXPECT_TRUE(s.Text4->hasFocus());
    EXPECT_EQ(s.Text4->textCursor().selectedText(), QStringLiteral("input"));
    click(s.cmdNone1);
    EXPECT_TRUE(s.Text4->hasFocus());
    EXPECT_FALSE(s.Text4->textCursor().hasSelection());
    EXPECT_EQ(s.Text4->textCursor().position(), 0);
    click(s.yesWrap);
    click(s.cmdAll2);
    EXPECT_TRUE(s.Text2->hasFocus());
    EXPECT_EQ(s.Text2->textCursor().selectedText(), QStringLiteral("npt"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("npt"));
}
