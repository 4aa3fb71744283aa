// The layout of a box's document, and how long lines look.
//
// The document holds no block longer than kLongestBlock (see the seams), so
// what Qt lays out at an edit is bounded; within a block, a run without any
// break opportunity would still cost the square of its length to wrap at
// words, so such a block wraps anywhere (WrappingLayout below). In the box
// that does not wrap, a block that ends at a seam ends with a continuation
// mark drawn after its text.
//
// The box's own part in this: a block that the user's typing made longer than
// kLongestBlock is cut anew once the edit is done (recut), and a key at a
// seam acts as if the seam were not there (stepOverSeam): both sides of a
// seam's separator are one place in the text, so Backspace, Delete and the
// arrows first cross the separator, then act.
#include "window/textarea_layout.h"

#include "window/textarea.h"
#include "window/textarea_seams.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <utility>

namespace quenby {

namespace {

// A run of more characters than this without a break opportunity is a long
// run (a line of base64, a DNA sequence, minified code).
constexpr qsizetype kLongRun = 1000;

// A block longer than this keeps its shaping (see WrappingLayout).
constexpr int kKeptShaping = 256;

// The longest stretch of text between two break opportunities.
qsizetype longestUnbroken(QStringView text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    qsizetype longest = 0;
    qsizetype last = 0;
    for (qsizetype at = finder.toNextBoundary(); at != -1; at = finder.toNextBoundary()) {
        longest = std::max(longest, at - last);
        last = at;
    }
    return longest;
}

// Whether a paragraph holds a long run. Only a stretch without a breaking
// space can hold one; the break opportunities of such a stretch are looked
// up, at first in its start only, which settles the common case (a run that
// never breaks) at once.
bool holdsLongRun(QStringView text) {
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !breakingSpace(text[end]))
            ++end;
        const QStringView stretch = text.mid(start, end - start);
        if (stretch.size() > kLongRun &&
            (longestUnbroken(stretch.left(2 * kLongRun + 1)) > kLongRun ||
             (stretch.size() > 2 * kLongRun + 1 && longestUnbroken(stretch) > kLongRun)))
            return true;
        start = end + 1;
    }
    return false;
}

// The layout of a box's document. A wrapping box breaks its lines at word
// boundaries, and a word too long for a line anywhere; but to lay out a line
// that starts in a long run Qt first measures the run to its end, so the
// lines of a long run cost the square of its length (a minute for a million
// characters). A paragraph that holds a long run is therefore laid out
// breaking anywhere, which costs no more than the text's length: the run
// itself is broken anywhere either way and looks the same; the rest of that
// paragraph breaks anywhere too. Every other paragraph keeps the box's mode.
//
// QPlainTextDocumentLayout takes the mode of every paragraph from the
// document's default text option, and lays a paragraph out in two places:
// when it is asked for the paragraph's place with no lines laid out yet, and
// at once when an edit stays inside one paragraph. Both are wrapped here in
// the paragraph's own mode; the option is switched without the relayout of
// the whole document that a switch would otherwise ask for.
class WrappingLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    QRectF blockBoundingRect(const QTextBlock& block) const override {
        if (block.isValid() && block.layout()->lineCount() == 0) {
            // The change being taken in lays this paragraph out next; asked
            // for its place before, it had none.
            if (block == m_changing)
                return QRectF();
            keepShaping(block);
            const Mode mode(this, block);
            ensureBlockLayout(block);
        }
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    }

    // While a box takes the document over, it lays the document out anew
    // for its own width and mode after it has set the mode: a paragraph that
    // is the whole document is then not laid out for the mode alone.
    void setTakingOver(bool takingOver) { m_takingOver = takingOver; }

protected:
    void documentChanged(int from, int removed, int added) override {
        if (m_switching)
            return;
        if (m_takingOver && document()->blockCount() == 1) {
            document()->firstBlock().clearLayout();
            return;
        }
        const QTextBlock block = document()->findBlock(from);
        keepShaping(block);
        const Mode mode(this, block);
        m_changing = block;
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
        m_changing = QTextBlock();
    }

private:
    // Qt drops what it worked out for a block (its scripts, break
    // opportunities and glyphs) when its lines are laid out, and works it out
    // afresh over the whole block whenever it draws any line of it or places
    // a cursor in it: a block of a long paragraph, drawn twenty times a screen
    // in the box that does not wrap, keeps it.
    static void keepShaping(const QTextBlock& block) {
        if (block.isValid() && block.length() > kKeptShaping)
            block.layout()->setCacheEnabled(true);
    }

    // While it lives, the document's mode is the one block needs.
    class Mode {
    public:
        Mode(const WrappingLayout* layout, const QTextBlock& block) : m_layout(layout) {
            QTextDocument* document = layout->document();
            const QTextOption::WrapMode now = document->defaultTextOption().wrapMode();
            const QTextOption::WrapMode own = layout->m_depth ? layout->m_own : now;
            const QTextOption::WrapMode wanted =
                own == QTextOption::WrapAtWordBoundaryOrAnywhere && block.isValid() &&
                        block.length() > kLongRun && holdsLongRun(block.text())
                    ? QTextOption::WrapAnywhere
                    : own;
            if (wanted == now)
                return;
            if (layout->m_depth++ == 0)
                layout->m_own = own;
            m_restore = now;
            set(wanted);
        }
        ~Mode() {
            if (!m_restore)
                return;
            set(*m_restore);
            --m_layout->m_depth;
        }
        Mode(const Mode&) = delete;
        Mode& operator=(const Mode&) = delete;

    private:
        void set(QTextOption::WrapMode mode) const {
            QTextDocument* document = m_layout->document();
            QTextOption option = document->defaultTextOption();
            option.setWrapMode(mode);
            const bool switching = std::exchange(m_layout->m_switching, true);
            document->setDefaultTextOption(option);
            m_layout->m_switching = switching;
        }

        const WrappingLayout* m_layout;
        std::optional<QTextOption::WrapMode> m_restore;
    };

    // The mode the box gave the document, while another one stands in.
    mutable QTextOption::WrapMode m_own = QTextOption::WrapAtWordBoundaryOrAnywhere;
    mutable int m_depth = 0;
    // The document's option is being switched: no change of the text.
    mutable bool m_switching = false;
    bool m_takingOver = false;
    // The paragraph where the change being taken in starts.
    QTextBlock m_changing;
};

} // namespace

BoxDocument::BoxDocument(QWidget* box) : QTextDocument(box) {
    setDocumentLayout(new WrappingLayout(this));
    setDefaultFont(box->font());
    // The box keeps the undo history itself (see UndoHistory).
    setUndoRedoEnabled(false);
}

void BoxDocument::setTakingOver(bool takingOver) {
    static_cast<WrappingLayout*>(documentLayout())->setTakingOver(takingOver);
}

void drawContinuationMark(QPainter& painter, const QTextBlock& block, QPointF topLeft,
                          const QColor& colour) {
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return;
    const QTextLine line = layout->lineAt(layout->lineCount() - 1);
    const qreal h = line.height();
    const qreal x = topLeft.x() + line.naturalTextWidth() + h / 4;
    const qreal y = topLeft.y() + line.y();
    // A small arrow bent down and back: the line goes on below.
    QPainterPath mark;
    mark.moveTo(x, y + h * 0.3);
    mark.lineTo(x + h * 0.5, y + h * 0.3);
    mark.lineTo(x + h * 0.5, y + h * 0.75);
    mark.lineTo(x + h * 0.15, y + h * 0.75);
    mark.moveTo(x + h * 0.3, y + h * 0.6);
    mark.lineTo(x + h * 0.15, y + h * 0.75);
    mark.lineTo(x + h * 0.3, y + h * 0.9);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, std::max<qreal>(1.0, h / 12)));
    painter.drawPath(mark);
    painter.restore();
}

void TextArea::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    const Seams& seams = boxDocument()->seams;
    if (lineWrapMode() != QPlainTextEdit::NoWrap || seams.count() == 0)
        return;
    QPainter painter(viewport());
    const QColor colour = palette().color(QPalette::PlaceholderText);
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF place = blockBoundingGeometry(block).translated(offset);
        if (place.top() > viewport()->height())
            break;
        if (seams.separatorAt(block.position() + block.length() - 1))
            drawContinuationMark(painter, block, place.topLeft(), colour);
    }
}

void TextArea::stepOverSeam(const QKeyEvent* event) {
    // The two sides of a seam's separator are one place in the text: a key
    // that would only cross the separator crosses it first and then acts.
    QTextCursor cursor = textCursor();
    const Seams& seams = boxDocument()->seams;
    const int at = cursor.position();
    const bool keep = event->modifiers() & Qt::ShiftModifier;
    const QTextCursor::MoveMode mode = keep ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if (!cursor.hasSelection() || keep) {
        if ((event->key() == Qt::Key_Left || (event->key() == Qt::Key_Backspace && !keep)) &&
            at > 0 && seams.separatorAt(at - 1))
            cursor.setPosition(at - 1, mode);
        else if ((event->key() == Qt::Key_Right || (event->key() == Qt::Key_Delete && !keep)) &&
                 seams.separatorAt(at))
            cursor.setPosition(at + 1, mode);
        else
            return;
        setTextCursor(cursor);
    }
}

void TextArea::recut(qsizetype at) {
    if (m_document == Document::Stale || at > documentEnd())
        return;
    const QTextBlock block = document()->findBlock(documentPosition(at));
    if (!block.isValid() || block.length() <= kLongestBlock)
        return;
    // The blocks are written anew around the user's selection, which stays.
    const QTextCursor before = textCursor();
    const qsizetype anchor = textPosition(before.anchor());
    const qsizetype position = textPosition(before.position());
    const qsizetype start = textPosition(block.position());
    const qsizetype end = textPosition(block.position() + block.length() - 1);
    rewrite(start, end, end);
    QTextCursor after(document());
    after.setPosition(documentPosition(anchor));
    after.setPosition(documentPosition(position), QTextCursor::KeepAnchor);
    setTextCursor(after);
}

} // namespace quenby
