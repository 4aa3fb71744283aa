#include "window_fixture.h"

#include <QDir>

using namespace quenby;
using namespace quenby::testing;

using StartupTest = WindowTest;

namespace {

// A program folder that cannot exist: a path below a regular file.
class MissingFolder : public ProgramFolder {
public:
    explicit MissingFolder(QString path) : m_path(std::move(path)) {}
    QString path() const override { return m_path; }

private:
    QString m_path;
};

const QByteArray kEverySettingSaved = "[Default]\r\n"
                                      "WrapText=0\r\n"
                                      "AutoPaste=0\r\n"
                                      "AutoCopy=0\r\n"
                                      "SameCase=0\r\n"
                                      "ReplaceString=R\r\n"
                                      "StripString=S\r\n"
                                      "StripPunctuation=1\r\n"
                                      "StripNumbers=1\r\n"
                                      "StripSpaces=1\r\n"
                                      "CaseOption=0\r\n"
                                      "incY=0\r\n"
                                      "StripVowels=1\r\n"
                                      "Remember=1\r\n"
                                      "Val12=*\r\n"
                                      "Val11=y\r\n"
                                      "Val10=0\r\n"
                                      "Val09=9\r\n"
                                      "Val08=8\r\n"
                                      "Val07=7\r\n"
                                      "Val06=6\r\n"
                                      "Val05=5\r\n"
                                      "Val04=4\r\n"
                                      "Val03=3\r\n"
                                      "Val02=2\r\n"
                                      "Val01=1\r\n";

} // namespace

TEST_F(StartupTest, AFirstStartCreatesBothFilesAndShowsTheDefaults) {
    Skivler& s = open();
    EXPECT_EQ(bytes("qnb.ini"), QByteArray());
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray());
    EXPECT_EQ(s.sus->value(), 0);
    EXPECT_TRUE(s.Option2[2]->isChecked());
    EXPECT_EQ(s.noVowels->value(), 1);
    EXPECT_EQ(s.yesRemember->value(), 0);
    EXPECT_EQ(s.Text1->text(), QString());
    type(s.Text1, QStringLiteral("ab"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("b")) << "the window is live";
}

TEST_F(StartupTest, EmptiedFilesStartWithDefaultsAndAnEmptyInput) {
    write("qnb.ini", "\r\n");
    write("qnbtext.ini", "\r\n");
    Skivler& s = open();
    EXPECT_EQ(s.Text1->text(), QString());
    EXPECT_EQ(s.yesWrap->value(), 1);
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("\r\n"));
}

TEST_F(StartupTest, SavingEverythingWritesTheKeysNewestFirst) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("line one\nline two"));
    const std::vector<std::pair<LineBox*, const char*>> slots = {
        {s.A, "1"}, {s.aa, "2"}, {s.E, "3"}, {s.ee, "4"}, {s.I, "5"}, {s.ii, "6"},
        {s.O, "7"}, {s.oo, "8"}, {s.U, "9"}, {s.uu, "0"}, {s.Y, "y"}, {s.yy, "*"}};
    for (const auto& [box, text] : slots)
        box->setText(QString::fromLatin1(text));
    s.StripString->setText(QStringLiteral("S"));
    s.ReplaceString->setText(QStringLiteral("R"));
    for (CheckBox* box : {s.noY, s.noGaps, s.noNums, s.noPunc, s.yesCase, s.yesWrap})
        click(box);
    click(s.Option2[0]);
    click(s.yesRemember);
    EXPECT_EQ(bytes("qnb.ini"), kEverySettingSaved);
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("line one\r\nline two\r\n"));

    // Unticking empties both files.
    click(s.yesRemember);
    EXPECT_EQ(bytes("qnb.ini"), QByteArray("\r\n"));
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("\r\n"));
}

TEST_F(StartupTest, ARememberedFileRestoresEveryControl) {
    QByteArray ini = kEverySettingSaved;
    ini.replace("AutoCopy=0", "AutoCopy=1");
    write("qnb.ini", ini);
    write("qnbtext.ini", "saved\r\ntext\r\n");
    Skivler& s = open();
    EXPECT_TRUE(s.Option2[0]->isChecked());
    EXPECT_EQ(s.noVowels->value(), 1);
    EXPECT_EQ(s.noY->value(), 0);
    EXPECT_EQ(s.noGaps->value(), 1);
    EXPECT_EQ(s.noNums->value(), 1);
    EXPECT_EQ(s.noPunc->value(), 1);
    EXPECT_EQ(s.yesCase->value(), 0);
    EXPECT_EQ(s.yesWrap->value(), 0);
    EXPECT_TRUE(s.Text4->isVisible());
    EXPECT_EQ(s.yesRemember->value(), 1);
    EXPECT_EQ(s.yesCopy->value(), 1);
    EXPECT_EQ(s.Label2->text(), QStringLiteral("OUTPUT TEXT ON CLIPBOARD"));
    EXPECT_EQ(s.A->text(), QStringLiteral("1"));
    EXPECT_EQ(s.Y->text(), QStringLiteral("y"));
    EXPECT_EQ(s.yy->text(), QStringLiteral("*"));
    EXPECT_EQ(s.StripString->text(), QStringLiteral("S"));
    EXPECT_EQ(s.ReplaceString->text(), QStringLiteral("R"));
    EXPECT_TRUE(s.ReplaceString->isEnabled());
    EXPECT_EQ(s.Text1->text(), QStringLiteral("saved\ntext"));
    // "s" found ignoring case, only upper-case vowels stripped.
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Raved\ntext"));
    EXPECT_EQ(clipboard.text, QStringLiteral("Raved\ntext")) << "one computation, copied";
    EXPECT_EQ(copies(), 1);
    EXPECT_EQ(bytes("qnb.ini"), ini) << "restoring writes back the same bytes";
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("saved\r\ntext\r\n")) << "the text does not grow";
}

TEST_F(StartupTest, LowerCaseKeysAreFoundAndCheckBoxesAreNotWrittenBack) {
    write("qnb.ini", "[default]\r\nremember=1\r\nstripnumbers=1\r\nval01=xyz\r\n");
    Skivler& s = open();
    EXPECT_EQ(s.yesRemember->value(), 1);
    EXPECT_EQ(s.noNums->value(), 1);
    EXPECT_EQ(s.A->text(), QStringLiteral("x"));
    // The slot writes back its cut text under its own key; the boxes do not.
    EXPECT_EQ(bytes("qnb.ini"), QByteArray("[default]\r\nremember=1\r\nstripnumbers=1\r\n"
                                           "Val01=x\r\n"));
}

TEST_F(StartupTest, ABadStoredValueTakesItsDefaultAndTheRestIsRestored) {
    write("qnb.ini", "[Default]\r\nCaseOption=3\r\nStripVowels=x\r\nStripNumbers=99999\r\n"
                     "StripSpaces=1\r\nVal01=q\r\n");
    dialogs.answers = {Answer::Ok};
    Skivler& s = open();
    ASSERT_EQ(dialogs.shown.size(), 1u) << "told once";
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("internal error: #197"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Skiv"));
    EXPECT_TRUE(s.Option2[2]->isChecked());
    EXPECT_EQ(s.noVowels->value(), 1);
    EXPECT_EQ(s.noNums->value(), 0);
    EXPECT_EQ(s.noGaps->value(), 1);
    EXPECT_EQ(s.A->text(), QStringLiteral("q"));
    type(s.Text1, QStringLiteral("a q"));
    EXPECT_EQ(s.Text2->text(), QString()) << "live: vowel, space and slot stripped";
}

TEST_F(StartupTest, AGreyedCheckBoxValueIsAccepted) {
    write("qnb.ini", "[Default]\r\nStripNumbers=2\r\n");
    Skivler& s = open();
    EXPECT_EQ(s.noNums->value(), 2);
    EXPECT_EQ(s.noNums->checkState(), Qt::PartiallyChecked);
    click(s.noNums);
    EXPECT_EQ(s.noNums->value(), 1) << "a click ticks a greyed box";
    click(s.noNums);
    EXPECT_EQ(s.noNums->value(), 0);
}

TEST_F(StartupTest, AnUnusableFolderIsToldAndTheWindowStillWorks) {
    MissingFolder missing(folder.file(QStringLiteral("no/such/folder")));
    dialogs.answers = {Answer::Ok};
    Skivler s({clipboard, dialogs, missing});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("internal error: #197"));
    EXPECT_EQ(s.sus->value(), 0);
    s.Text1->setText(QStringLiteral("abc"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("bc"));
}

TEST_F(StartupTest, AutoPasteAtStartUpTakesTheClipboardOnce) {
    write("qnb.ini", "[Default]\r\nAutoCopy=1\r\nAutoPaste=1\r\nRemember=1\r\n");
    write("qnbtext.ini", "old\r\n");
    clipboard.text = QStringLiteral("from clipboard");
    Skivler& s = open();
    EXPECT_EQ(clipboard.gets, 1);
    EXPECT_EQ(s.Text1->text(), QStringLiteral("from clipboard"));
    EXPECT_EQ(clipboard.text, QStringLiteral("frm clpbrd"));
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("from clipboard\r\n"));
}

TEST_F(StartupTest, ResetToDefaultsEmptiesBothFilesAndKeepsTheInput) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("Keep me"));
    click(s.noNums);
    click(s.Option2[1]);
    s.A->setText(QStringLiteral("K"));
    s.StripString->setText(QStringLiteral("me"));
    click(s.yesRemember);
    click(s.cmdDefaults);
    EXPECT_EQ(bytes("qnb.ini"), QByteArray("\r\n"));
    EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("\r\n"));
    EXPECT_EQ(s.yesRemember->value(), 0);
    EXPECT_TRUE(s.Option2[2]->isChecked());
    EXPECT_EQ(s.noNums->value(), 0);
    EXPECT_EQ(s.A->text(), QString());
    EXPECT_EQ(s.StripString->text(), QString());
    EXPECT_EQ(s.Text1->text(), QStringLiteral("Keep me"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Kp m"));
}

TEST_F(StartupTest, ResetToDefaultsRevivesAWindowSuspendedByStartUp) {
    Skivler& s = open();
    s.sus->setValue(1);
    s.Text1->setText(QStringLiteral("abc"));
    click(s.cmdDefaults);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("bc"));
}

TEST_F(StartupTest, ARememberedSessionComesBackWhole) {
    {
        Skivler& s = open();
        click(s.yesRemember);
        type(s.Text1, QStringLiteral("Quenby \u00E9t\u00E9 \u00A0 42!"));
        click(s.noPunc);
        click(s.noGaps);
        click(s.Option2[1]);
        type(s.ee, QStringLiteral("Q"));
        type(s.yy, QStringLiteral("#"));
        type(s.StripString, QStringLiteral("[x]"));
        type(s.ReplaceString, QStringLiteral("=y"));
        click(s.yesCase);
        click(s.yesWrap);
        w.reset();
    }
    const QByteArray ini = bytes("qnb.ini");
    const QByteArray text = bytes("qnbtext.ini");
    Skivler& s = open();
    EXPECT_EQ(s.Text1->text(), QStringLiteral("Quenby \u00E9t\u00E9 \u00A0 42!"));
    EXPECT_EQ(s.noPunc->value(), 1);
    EXPECT_EQ(s.noGaps->value(), 1);
    EXPECT_TRUE(s.Option2[1]->isChecked());
    EXPECT_EQ(s.ee->text(), QStringLiteral("Q"));
    EXPECT_EQ(s.yy->text(), QStringLiteral("#"));
    EXPECT_EQ(s.StripString->text(), QStringLiteral("[x]"));
    EXPECT_EQ(s.ReplaceString->text(), QStringLiteral("=y"));
    EXPECT_EQ(s.yesCase->value(), 0);
    EXPECT_EQ(s.yesWrap->value(), 0);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("#nb\u00E9t\u00E942"));
    EXPECT_EQ(bytes("qnb.ini"), ini);
    EXPECT_EQ(bytes("qnbtext.ini"), text);
}
