// A big text goes into a shown box's document a screen at a time, the rest
// while the window is idle. Whatever reads a box (the engine, the clipboard,
// the saved text) has the whole text at once; whatever reads or edits the
// document (select all, a key, undo) brings the rest in first.
#include "settings/savedtexts.h"
#include "window_fixture.h"

using namespace quenby;
using namespace quenby::testing;

using FillTest = WindowTest;

namespace {

// Over a hundred thousand characters in short lines, with no final line end.
QString bigText(const QString& word) {
    QStringList lines;
    for (int i = 0; i < 12000; ++i)
        lines << QStringLiteral("%1 %2").arg(word).arg(i);
    return lines.join(QLatin1Char('\n'));
}

// Runs the window's idle time until no box of the window fills any more.
void idle(const Skivler& s) {
    for (int i = 0; i < 100000; ++i) {
        if (!s.Text1->filling() && !s.Text2->filling() && !s.Text4->filling() &&
            !s.Text5->filling())
            return;
        QCoreApplication::processEvents();
    }
    FAIL() << "the boxes never took their whole texts";
}

} // namespace

TEST_F(FillTest, ABigTextIsWholeForTheHandlersWhileItsDocumentFills) {
    Skivler& s = open();
    click(s.yesRemember);
    s.yesCopy->setValue(1);
    const QString text = bigText(QStringLiteral("alpha"));
    const QString output = bigText(QStringLiteral("lph"));
    s.Text1->setText(text);
    ASSERT_TRUE(s.Text1->filling());
    ASSERT_TRUE(s.Text2->filling());
    EXPECT_LT(s.Text1->document()->characterCount(), text.size());
    EXPECT_EQ(s.Text4->text(), text);
    EXPECT_EQ(s.Text2->text(), output);
    EXPECT_EQ(clipboard.text, output);
    s.finishWrites();
    EXPECT_EQ(TxtLoad(folder.path()), text);

    click(s.cmdAll1);
    EXPECT_FALSE(s.Text1->filling()) << "select all reads the whole document";
    EXPECT_EQ(s.Text1->textCursor().selectedText().size(), text.size());
    EXPECT_EQ(documentNow(s.Text1), text);

    // A key at the start of the input box while the output box still fills.
    ASSERT_TRUE(s.Text2->filling());
    click(s.cmdNone1);
    QTest::keyClick(s.Text1, 'e');
    EXPECT_EQ(s.Text1->text(), QLatin1Char('e') + text);
    EXPECT_EQ(s.Text2->text(), output);
    idle(s);
    EXPECT_EQ(documentNow(s.Text1), QLatin1Char('e') + text);
    EXPECT_EQ(documentNow(s.Text2), output);
}

// The keys reach the box at the caret, with the whole text in the document
// first; undo takes them back.
TEST_F(FillTest, TypingIntoABoxWhoseFillIsPendingIsKept) {
    for (const bool wrap : {true, false}) {
        SCOPED_TRACE(wrap ? "wrapping" : "not wrapping");
        Skivler& s = open();
        if (!wrap)
            click(s.yesWrap);
        TextArea* shown = wrap ? s.Text1 : s.Text4;
        const QString text = bigText(QStringLiteral("word"));
        s.Text1->setText(text);
        ASSERT_TRUE(shown->filling());
        shown->setFocus();
        QTest::keyClicks(shown, QStringLiteral("ab"));
        EXPECT_FALSE(shown->filling());
        EXPECT_EQ(s.Text1->text(), QStringLiteral("ab") + text);
        EXPECT_EQ(s.Text2->text(), QStringLiteral("b") + bigText(QStringLiteral("wrd")));
        EXPECT_EQ(documentNow(shown), s.Text1->text());
        QTest::keyClick(shown, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(s.Text1->text(), text);
        EXPECT_EQ(documentNow(shown), text);
    }
}

// A big paste is one undo step, whether undone while its document still
// fills or after the other box of the pair took the document over.
TEST_F(FillTest, ABigPasteIsOneUndoStepAcrossTheFillAndTheSwap) {
    const QString pasted = bigText(QStringLiteral("pasted"));
    for (const bool swap : {false, true}) {
        SCOPED_TRACE(swap ? "swapped" : "at once");
        Skivler& s = open();
        type(s.Text1, QStringLiteral("old"));
        clipboard.text = pasted;
        click(s.cmdInput);
        ASSERT_TRUE(s.Text1->filling());
        TextArea* shown = s.Text1;
        if (swap) {
            click(s.yesWrap);
            shown = s.Text4;
            EXPECT_TRUE(shown->filling()) << "the fill goes on in the box shown";
            idle(s);
            EXPECT_EQ(documentNow(s.Text4), pasted);
            EXPECT_EQ(documentNow(s.Text5), s.Text2->text());
        }
        QTest::keyClick(shown, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(s.Text1->text(), QStringLiteral("old"));
        EXPECT_EQ(s.Text4->text(), QStringLiteral("old"));
        EXPECT_EQ(documentNow(shown), QStringLiteral("old"));
        EXPECT_EQ(s.Text2->text(), QStringLiteral("ld"));
        // Redo gives the text back at once and fills its document while idle.
        QTest::keyClick(shown, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(s.Text1->text(), pasted);
        EXPECT_TRUE(shown->filling());
        idle(s);
        EXPECT_EQ(documentNow(shown), pasted);
    }
}
