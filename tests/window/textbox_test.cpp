// The text box holds a long paragraph in its document as several blocks cut
// at seams; nothing that reads or edits the box may see a seam. Also the
// box's own undo history and its budget.
#include "window/textarea.h"
#include "window/textarea_history.h"
#include "window/textarea_seams.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace quenby;

namespace {

// Words, a no-break space in each, then a run with no break opportunity:
// both kinds of seam.
QString longParagraph() {
    return QStringLiteral("word\u00A0one two ").repeated(1500) +
           QStringLiteral("0123456789").repeated(1500) + QStringLiteral("\nlast line");
}

std::unique_ptr<TextArea> shownBox(const QString& text, bool wrap = true) {
    auto box = std::make_unique<TextArea>();
    box->setWrapping(wrap);
    box->resize(300, 200);
    box->show();
    box->setText(text);
    box->finishFill();
    return box;
}

// The text positions where the document has a seam.
std::vector<qsizetype> seamsOf(const TextArea& box) {
    std::vector<qsizetype> seams;
    for (QTextBlock b = box.document()->firstBlock(); b.next().isValid(); b = b.next()) {
        const int end = b.position() + b.length() - 1;
        if (box.textPosition(end) == box.textPosition(end + 1))
            seams.push_back(box.textPosition(end));
    }
    return seams;
}

int longestBlock(const TextArea& box) {
    int longest = 0;
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length() - 1);
    return longest;
}

void place(TextArea& box, qsizetype from, qsizetype to) {
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(box.documentPosition(from));
    cursor.setPosition(box.documentPosition(to), QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

// Where two texts part, for a readable failure.
::testing::AssertionResult sameText(const QString& got, const QString& expected) {
    if (got == expected)
        return ::testing::AssertionSuccess();
    const qsizetype at = commonPrefix(got, expected);
    return ::testing::AssertionFailure()
           << "sizes " << got.size() << " and " << expected.size() << ", first differ at " << at
           << ": \"" << got.mid(at, 12).toStdString() << "\" for \""
           << expected.mid(at, 12).toStdString() << "\"";
}

} // namespace

TEST(TextBox, ALongParagraphIsCutAtSeamsThatMapBothWays) {
    const QString text = longParagraph();
    for (const bool wrap : {true, false}) {
        auto box = shownBox(text, wrap);
        const std::vector<qsizetype> seams = seamsOf(*box);
        ASSERT_GE(seams.size(), 8u);
        EXPECT_LE(longestBlock(*box), kSeamLength);
        EXPECT_EQ(box->document()->characterCount() - 1, text.size() + qsizetype(seams.size()));
        EXPECT_EQ(box->text(), text);
        // In the words, a seam falls after a space, never a no-break space.
        EXPECT_EQ(text.at(seams.front() - 1), QLatin1Char(' '));
        for (qsizetype p :
             {qsizetype(0), seams[0] - 1, seams[0], seams[0] + 1, seams.back(), text.size()})
            EXPECT_EQ(box->textPosition(box->documentPosition(p)), p) << p;
        // Both sides of a seam's separator are the seam's text position.
        const int separator = box->documentPosition(seams[1]) - 1;
        EXPECT_EQ(box->textPosition(separator), seams[1]);
        EXPECT_EQ(box->textBetween(0, box->document()->characterCount() - 1), text);
    }
}

// Keys at a seam act on the text as if it were not there.
TEST(TextBox, KeysAtASeamEditTheText) {
    const QString text = longParagraph();
    auto box = shownBox(text);
    const auto typed = [&](qsizetype at) {
        return text.left(at) + QLatin1Char('x') + text.mid(at);
    };
    struct Row {
        const char* name;
        int key;                                    // 0: none, just type "x"
        std::function<QString(qsizetype)> expected; // at seam s
    };
    const Row rows[] = {
        {"type", 0, [&](qsizetype s) { return typed(s); }},
        {"backspace", Qt::Key_Backspace,
         [&](qsizetype s) { return text.left(s - 1) + text.mid(s); }},
        {"delete", Qt::Key_Delete, [&](qsizetype s) { return text.left(s) + text.mid(s + 1); }},
        {"left, type", Qt::Key_Left, [&](qsizetype s) { return typed(s - 1); }},
        {"right, type", Qt::Key_Right, [&](qsizetype s) { return typed(s + 1); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const bool before : {false, true}) { // either side of the separator
            box->setText(text);
            // Where the seams fall depends on the edits before, not the text.
            const qsizetype s = seamsOf(*box).at(3);
            box->setFocus();
            QTextCursor cursor = box->textCursor();
            cursor.setPosition(box->documentPosition(s) - (before ? 1 : 0));
            box->setTextCursor(cursor);
            if (row.key != 0)
                QTest::keyClick(box.get(), Qt::Key(row.key));
            if (row.key == 0 || row.key == Qt::Key_Left || row.key == Qt::Key_Right)
                QTest::keyClick(box.get(), 'x');
            EXPECT_TRUE(sameText(box->text(), row.expected(s))) << (before ? "before" : "after");
        }
    }
}

// A selection across a seam is the text between its ends: copied (the keys,
// the context menu), typed over, dragged out.
TEST(TextBox, ASelectionAcrossASeamIsTheTextItself) {
    const QString text = longParagraph();
    auto box = shownBox(text);
    const qsizetype s = seamsOf(*box).at(2);
    const qsizetype from = s - 30;
    const qsizetype to = s + 30;
    place(*box, from, to);
    QGuiApplication::clipboard()->clear();
    box->setFocus();
    QTest::keyClick(box.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text.mid(from, to - from));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QChar(0x00A0)));

    QGuiApplication::clipboard()->clear();
    std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
    QAction* copy = menu->findChild<QAction*>(QStringLiteral("edit-copy"));
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text.mid(from, to - from));

    QTest::keyClick(box.get(), 'y');
    EXPECT_EQ(box->text(), text.left(from) + QLatin1Char('y') + text.mid(to));
    QTest::keyClick(box.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), text);
}

// Ctrl+C keeps a no-break space in a short text too.
TEST(TextBox, CopyKeepsTheNoBreakSpace) {
    auto box = shownBox(QStringLiteral("one\u00A0two"));
    box->selectAll();
    box->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("one\u00A0two"));
}

// The input method composes and commits at a seam; right-to-left text goes
// in where the caret stands.
TEST(TextBox, InputMethodAndRightToLeftTextAtASeam) {
    const QString text = longParagraph();
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
    auto box = shownBox(text);
    const qsizetype s = seamsOf(*box).at(1);
    place(*box, s, s);
    QInputMethodEvent composing(QStringLiteral("\u05E9"), {});
    QApplication::sendEvent(box.get(), &composing);
    EXPECT_EQ(box->text(), text) << "what is composed is not text yet";
    QInputMethodEvent commit;
    commit.setCommitString(hebrew);
    QApplication::sendEvent(box.get(), &commit);
    EXPECT_TRUE(sameText(box->text(), text.left(s) + hebrew + text.mid(s)));
    for (const QChar c : QStringLiteral("\u05D0\u05D1"))
        QTest::sendKeyEvent(QTest::Click, box.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    EXPECT_EQ(box->text(), text.left(s) + hebrew + QStringLiteral("\u05D0\u05D1") + text.mid(s));
}

// A screen reader reads the box's text with offsets in it.
TEST(TextBox, AScreenReaderReadsTheTextWithoutSeams) {
    const QString text = longParagraph();
    auto box = shownBox(text);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box.get());
    ASSERT_NE(iface, nullptr);
    QAccessibleTextInterface* reader = iface->textInterface();
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Value), text);
    EXPECT_EQ(reader->characterCount(), text.size());
    EXPECT_EQ(reader->text(0, int(text.size())), text);
    const qsizetype s = seamsOf(*box).at(4);
    place(*box, s - 5, s + 5);
    int start = -1;
    int end = -1;
    reader->selection(0, &start, &end);
    EXPECT_EQ(start, s - 5);
    EXPECT_EQ(end, s + 5);
    EXPECT_EQ(reader->cursorPosition(), s + 5);
    reader->setCursorPosition(int(s));
    EXPECT_EQ(box->textPosition(box->textCursor().position()), s);
    EXPECT_FALSE(reader->characterRect(int(s)).isEmpty());
}

// A long paragraph pasted or typed into the box is cut at seams too.
TEST(TextBox, PastedAndTypedParagraphsAreCut) {
    const QString run = QStringLiteral("abcdefghij").repeated(3000);
    auto box = shownBox(QStringLiteral("start end"));
    place(*box, 6, 6);
    QGuiApplication::clipboard()->setText(run);
    box->setFocus();
    QTest::keyClick(box.get(), Qt::Key_V, Qt::ControlModifier);
    const QString pasted = QStringLiteral("start ") + run + QStringLiteral("end");
    EXPECT_EQ(box->text(), pasted);
    EXPECT_LE(longestBlock(*box), kSeamLength);
    EXPECT_EQ(box->textPosition(box->textCursor().position()), 6 + run.size());

    // The user's own edit of the document (as a key or the input method
    // would make it) that leaves a block too long is cut once it is done.
    QTextCursor cursor(box->document());
    cursor.setPosition(box->documentPosition(6 + kSeamLength / 2));
    cursor.insertText(run);
    QCoreApplication::processEvents();
    EXPECT_LE(longestBlock(*box), kLongestBlock);
    const QString typed = pasted.left(6 + kSeamLength / 2) + run + pasted.mid(6 + kSeamLength / 2);
    EXPECT_EQ(box->text(), typed);
    box->undoStep();
    EXPECT_EQ(box->text(), pasted);
    box->undoStep();
    EXPECT_EQ(box->text(), QStringLiteral("start end"));
}

// The history keeps its budget: oldest steps go first, the newest stays.
TEST(TextBox, TheUndoHistoryKeepsItsBudget) {
    UndoHistory history(100); // bytes: 50 characters
    history.record({0, QString(), QStringLiteral("0123456789")}, UndoHistory::Kind::Other);
    history.record({10, QString(), QStringLiteral("abcdefghij")}, UndoHistory::Kind::Other);
    EXPECT_EQ(history.bytes(), 40);
    history.record({20, QString(), QStringLiteral("x").repeated(31)}, UndoHistory::Kind::Other);
    EXPECT_EQ(history.steps(), 2) << "the oldest step went";
    EXPECT_LE(history.bytes(), 100);
    history.record({0, QStringLiteral("y").repeated(200), QString()}, UndoHistory::Kind::Other);
    EXPECT_EQ(history.steps(), 1) << "the newest step stays, however big";
    EXPECT_EQ(history.undo()->removed.size(), 200);
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.canRedo());

    // Typing joins one step; Backspace presses join another.
    UndoHistory typing;
    for (int i = 0; i < 3; ++i)
        typing.record({i, QString(), QStringLiteral("a")}, UndoHistory::Kind::Typing);
    for (int i = 2; i >= 1; --i)
        typing.record({i, QStringLiteral("a"), QString()}, UndoHistory::Kind::Deleting);
    EXPECT_EQ(typing.steps(), 2);
    const auto deleted = typing.undo();
    EXPECT_EQ(deleted->at, 1);
    EXPECT_EQ(deleted->removed, QStringLiteral("aa"));
    EXPECT_EQ(typing.undo()->inserted, QStringLiteral("aaa"));
}

// A box's undo history stays within its budget over many big replacements.
TEST(TextBox, BigReplacementsKeepTheBudget) {
    auto box = shownBox(QString());
    for (int i = 0; i < 6; ++i) {
        const TextArea::Replacement step(box->text(), {box.get()});
        box->setText(QString(4 * 1024 * 1024, QChar(u'a' + i)));
    }
    EXPECT_LE(box->undoBytes(), UndoHistory::kUndoBudget);
    box->undoStep();
    EXPECT_EQ(box->text(), QString(4 * 1024 * 1024, QChar(u'e')));
}
