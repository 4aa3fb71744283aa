#include "window_fixture.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <functional>

using namespace quenby;
using namespace quenby::testing;

using ControlsTest = WindowTest;

namespace {

void placeCursor(QPlainTextEdit* box, int from, int to) {
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

struct EditRow {
    const char* name;
    std::function<void(TextArea*)> edit;
    QString expected; // text() afterwards
};

} // namespace

// The box follows its document edit by edit; after each edit, by the user or
// the program, text() is what the document holds, and Change came exactly
// when it changed.
TEST_F(ControlsTest, TheInputBoxFollowsEveryKindOfEdit) {
    Skivler& s = open();
    const QString nbsp(QChar(0x00A0));
    const std::vector<EditRow> rows = {
        {"program sets lines with no-break spaces",
         [&](TextArea* b) {
             b->setText(QStringLiteral("one") + nbsp + QStringLiteral("two\nthree"));
         },
         QStringLiteral("one") + nbsp + QStringLiteral("two\nthree")},
        {"typing at the end", [](TextArea* b) { WindowTest::type(b, QStringLiteral("!")); },
         QStringLiteral("one") + nbsp + QStringLiteral("two\nthree!")},
        {"typing a line break in the middle",
         [](TextArea* b) {
             placeCursor(b, 3, 3);
             QTest::keyClick(b, Qt::Key_Return);
         },
         QStringLiteral("one\n") + nbsp + QStringLiteral("two\nthree!")},
        {"a selection across lines typed over",
         [](TextArea* b) {
             placeCursor(b, 2, 8);
             QTest::keyClick(b, 'X');
         },
         QStringLiteral("onX\nthree!")},
        {"backspace at the start of a line joins it",
         [](TextArea* b) {
             placeCursor(b, 4, 4);
             QTest::keyClick(b, Qt::Key_Backspace);
         },
         QStringLiteral("onXthree!")},
        {"program sets CR LF, CR and separators in the middle",
         [&](TextArea* b) {
             b->setText(QStringLiteral("onX\r\nt\rh\u2028r\u2029e") + nbsp + QStringLiteral("e!"));
         },
         QStringLiteral("onX\nt\nh\nr\ne") + nbsp + QStringLiteral("e!")},
        {"program appends a CR whose LF follows",
         [](TextArea* b) { b->setText(b->text() + QStringLiteral("\r\n")); },
         QStringLiteral("onX\nt\nh\nr\ne") + nbsp + QStringLiteral("e!\n")},
        {"a pasted CR LF text",
         [](TextArea* b) {
             placeCursor(b, 0, 0);
             b->insertPlainText(QStringLiteral("a\r\nb") + QChar(0x00A0));
         },
         QStringLiteral("a\nb") + nbsp + QStringLiteral("onX\nt\nh\nr\ne") + nbsp +
             QStringLiteral("e!\n")},
        {"select all typed over",
         [](TextArea* b) {
             b->selectAll();
             QTest::keyClick(b, 'z');
         },
         QStringLiteral("z")},
        {"program empties", [](TextArea* b) { b->setText(QString()); }, QString()},
        {"typing into the empty box", [](TextArea* b) { WindowTest::type(b, QStringLiteral("q")); },
         QStringLiteral("q")},
        {"a surrogate pair changed in its low half",
         [](TextArea* b) { b->setText(QStringLiteral("a\U0001F600b")); },
         QStringLiteral("a\U0001F600b")},
        {"the same pair changed back",
         [](TextArea* b) { b->setText(QStringLiteral("a\U0001F601b")); },
         QStringLiteral("a\U0001F601b")},
    };
    QSignalSpy changes(s.Text1, &TextArea::Change);
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QString before = s.Text1->text();
        changes.clear();
        row.edit(s.Text1);
        EXPECT_EQ(s.Text1->text(), row.expected);
        EXPECT_EQ(documentNow(s.Text1), row.expected);
        EXPECT_EQ(changes.count(), before == row.expected ? 0 : 1);
        EXPECT_EQ(s.Text4->text(), row.expected) << "mirrored";
    }
}

TEST_F(ControlsTest, AProgramWriteLeavesTheBoxAsASetTextDoes) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("abc\ndef\nghi"));
    placeCursor(s.Text2, 5, 7);
    s.Text1->setText(QStringLiteral("abc\ndef\nghix"));
    EXPECT_EQ(documentNow(s.Text2), QStringLiteral("bc\ndf\nghx"));
    EXPECT_EQ(s.Text2->textCursor().position(), 0);
    EXPECT_FALSE(s.Text2->textCursor().hasSelection());
    EXPECT_FALSE(s.Text2->document()->isUndoAvailable()) << "the program's write is not undoable";

    // Scrolled down, the output box goes back to the top at the next output.
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("line %1").arg(i);
    s.Text1->setText(lines.join(QLatin1Char('\n')));
    QScrollBar* bar = s.Text2->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);
    type(s.Text1, QStringLiteral("z"));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(s.Text2->text().endsWith(QStringLiteral("ln 299z")));
    s.Text1->setText(QStringLiteral("abc\ndef\nghix"));

    // Giving a box the text it holds, in another line-end form, is no change.
    s.yesCopy->setValue(1);
    const int before = copies();
    QSignalSpy changes(s.Text1, &TextArea::Change);
    s.Text1->setText(QStringLiteral("abc\r\ndef\rghix"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(copies(), before);
}

TEST_F(ControlsTest, AHiddenBoxTakesItsTextWhenShown) {
    Skivler& s = open();
    ASSERT_FALSE(s.Text4->isVisible());
    ASSERT_FALSE(s.Text5->isVisible());
    QSignalSpy mirrored(s.Text4, &TextArea::Change);
    type(s.Text1, QStringLiteral("one\u00A0two"));
    EXPECT_EQ(mirrored.count(), 7) << "a hidden box raises Change as ever";
    EXPECT_EQ(s.Text4->text(), QStringLiteral("one\u00A0two"));
    EXPECT_EQ(s.Text5->text(), QStringLiteral("n\u00A0tw"));

    click(s.yesWrap);
    ASSERT_TRUE(s.Text4->isVisible());
    EXPECT_EQ(documentNow(s.Text4), QStringLiteral("one\u00A0two"));
    EXPECT_EQ(documentNow(s.Text5), QStringLiteral("n\u00A0tw"));
    EXPECT_EQ(s.Text4->textCursor().position(), 0);

    // The shown box edits in place; the now hidden ones catch up when shown.
    type(s.Text4, QStringLiteral("s"));
    EXPECT_EQ(s.Text1->text(), QStringLiteral("one\u00A0twos"));
    EXPECT_EQ(documentNow(s.Text5), QStringLiteral("n\u00A0tws"));
    click(s.yesWrap);
    EXPECT_EQ(documentNow(s.Text1), QStringLiteral("one\u00A0twos"));
    EXPECT_EQ(documentNow(s.Text2), QStringLiteral("n\u00A0tws"));

    // A box that took no new text while not shown keeps its selection.
    placeCursor(s.Text1, 1, 4);
    click(s.yesWrap);
    click(s.yesWrap);
    EXPECT_EQ(s.Text1->textCursor().selectedText(), QStringLiteral("ne\u00A0"));
}

TEST_F(ControlsTest, AFormatChangeIsNoChange) {
    Skivler& s = open();
    s.Text1->setText(QStringLiteral("bold\nface"));
    s.yesCopy->setValue(1);
    const int before = copies();
    QSignalSpy raw(s.Text1, &QPlainTextEdit::textChanged);
    QSignalSpy changes(s.Text1, &TextArea::Change);
    QTextCursor cursor(s.Text1->document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
    EXPECT_GT(raw.count(), 0) << "the widget reports the format change as a text change";
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(copies(), before);
    EXPECT_EQ(s.Text1->text(), QStringLiteral("bold\nface"));
}

TEST_F(ControlsTest, UndoAndRedoInTheInputBoxRecompute) {
    Skivler& s = open();
    type(s.Text1, QStringLiteral("bat"));
    s.yesCopy->setValue(1);
    const int before = copies();
    QTest::keyClick(s.Text1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.Text1->text(), QString()) << "typing is undone as one step";
    EXPECT_EQ(s.Text2->text(), QString());
    EXPECT_EQ(s.Text4->text(), QString());
    EXPECT_EQ(copies() - before, 1);
    QTest::keyClick(s.Text1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.Text1->text(), QStringLiteral("bat"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("bt"));
    EXPECT_EQ(copies() - before, 2);
}

// A text longer than the document can hold (four units here, for Qt's int
// positions) stays whole in the box; the document shows its start and takes
// no edit until the text fits again. A box not shown cuts it when shown.
TEST_F(ControlsTest, ATextBeyondTheDocumentStaysWholeAndTheBoxTakesNoEdit) {
    TextArea box(nullptr, 4);
    for (const bool shown : {true, false}) {
        box.setVisible(shown);
        box.setText(QStringLiteral("abcdefg"));
        box.show();
        type(&box, QStringLiteral("x"));
        EXPECT_EQ(box.text(), QStringLiteral("abcdefg"));
        EXPECT_EQ(documentNow(&box), QStringLiteral("abcd"));
        box.setText(QStringLiteral("ab"));
        type(&box, QStringLiteral("c"));
        EXPECT_EQ(box.text(), QStringLiteral("abc"));
        EXPECT_EQ(documentNow(&box), QStringLiteral("abc"));
    }
}

// A wrapping box breaks lines at spaces, and a paragraph (shorter than a
// seam's length here) that holds a run of a thousand characters or more with no break opportunity
// anywhere, so that laying the run out costs no more than its length; the box's own mode is left as
// it was. A box that does not wrap keeps each paragraph on one line.
TEST_F(ControlsTest, ALongRunBreaksAnywhereAndWordsAtSpaces) {
    const QString words = QStringLiteral("word ").repeated(100);
    const QString run = QStringLiteral("ab ") + QStringLiteral("0123456789").repeated(101);
    for (const bool wrap : {true, false}) {
        SCOPED_TRACE(wrap ? "wrapping" : "not wrapping");
        TextArea box;
        box.setWrapping(wrap);
        box.resize(200, 100);
        box.show();
        box.setText(words + QLatin1Char('\n') + run);
        QTextBlock block = box.document()->firstBlock();
        for (const QString& paragraph : {words, run}) {
            box.document()->documentLayout()->blockBoundingRect(block);
            const QTextLayout* layout = block.layout();
            ASSERT_EQ(block.text(), paragraph);
            if (!wrap) {
                EXPECT_EQ(layout->lineCount(), 1);
                block = block.next();
                continue;
            }
            ASSERT_GT(layout->lineCount(), 2);
            if (paragraph == run)
                EXPECT_GT(layout->lineAt(0).textLength(), 3)
                    << "\"ab \" shares its line with the start of the run";
            else
                for (int i = 0; i + 1 < layout->lineCount(); ++i) {
                    const QTextLine line = layout->lineAt(i);
                    EXPECT_EQ(paragraph.at(line.textStart() + line.textLength() - 1),
                              QLatin1Char(' '))
                        << "line " << i;
                }
            block = block.next();
        }
        EXPECT_EQ(box.document()->defaultTextOption().wrapMode(),
                  wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    }
}
