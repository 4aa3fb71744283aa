// The progressive fill: a big text goes into a shown box's document with its
// first screen at once and the rest in short slices while the window is
// idle, so that a paste of ten megabytes gives the window back at once.
// Whatever reads or edits the document (a key, a mouse button, the wheel, a
// scroll bar, a drag, the context menu) brings the rest in first.
//
// While it fills, the document holds the text up to m_filled, cut at its
// seams as a whole text would be; each slice writes anew the last block it
// found (a line or a seam's length at most) together with the next stretch
// of text, so that a paragraph comes in with the same seams in any slices.
// A change of the text from the program or from undo needs no finished fill:
// one after m_filled lands in the text only, one inside it is written into
// the document, and a big one keeps the document up to its start and fills
// the rest anew.
#include "window/textarea.h"
#include "window/textarea_layout.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextCursor>
#include <limits>
#include <utility>

namespace quenby {

namespace {

// A change longer than this goes into a shown box's document a first screen
// at once, and the rest in slices while the window is idle.
constexpr qsizetype kFillAtOnce = 64 * 1024;
// Characters that fill a box's first screen, and then some.
constexpr qsizetype kScreen = 16 * 1024;
// How long one idle slice of a fill goes on, and how much of the text it puts
// in at a time.
constexpr qint64 kSliceMs = 8;
constexpr qsizetype kSliceStep = 32 * 1024;

} // namespace

qsizetype TextArea::fillTarget() const {
    return std::min(m_text.size(), m_capacity);
}

void TextArea::follow(qsizetype from, qsizetype oldTo, qsizetype newTo) {
    if (m_extent == Extent::Start || m_text.size() > m_capacity) {
        resetDocument();
        return;
    }
    if (m_document == Document::Filling) {
        if (from >= m_filled)
            return; // the change lies in the part still to come
        if (oldTo <= m_filled && newTo - from <= kFillAtOnce) {
            rewrite(from, oldTo, newTo);
            m_filled += newTo - oldTo;
            if (m_filled >= fillTarget())
                stopFill();
            return;
        }
    } else if (newTo - from <= kFillAtOnce) {
        rewrite(from, oldTo, newTo);
        return;
    }
    refill(from);
}

void TextArea::resetDocument() {
    stopFill();
    setExtent(m_text.size() > m_capacity ? Extent::Start : Extent::Whole);
    BoxDocument* document = boxDocument();
    const Writer writer = std::exchange(m_writer, Writer::Box);
    document->clear();
    document->seams.clear();
    m_writer = writer;
    m_filled = 0;
    refill(0);
    document->setModified(false);
    setTextCursor(QTextCursor(document));
}

void TextArea::refill(qsizetype from) {
    BoxDocument* document = boxDocument();
    Seams& seams = document->seams;
    // The document keeps the blocks before the one where `from` lies.
    const qsizetype start = blockStart(m_text, seams, std::min(from, documentEnd()));
    const Writer writer = std::exchange(m_writer, Writer::Box);
    QTextCursor cursor(document);
    cursor.setPosition(int(seams.toDocumentBefore(start)));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    seams.replace(start - 1, std::numeric_limits<qsizetype>::max(), 0, {});
    m_writer = writer;
    m_filled = start;
    m_document = Document::Filling;
    const qsizetype target = fillTarget();
    qsizetype end = target - start <= kFillAtOnce ? target : start + kScreen;
    if (end < target && m_text.at(end).isLowSurrogate())
        ++end;
    append(end);
    startFill(m_filled);
}

void TextArea::append(qsizetype end) {
    BoxDocument* document = boxDocument();
    Seams& seams = document->seams;
    // The last block may be open: it is written anew with what follows.
    const qsizetype start = blockStart(m_text, seams, m_filled);
    std::vector<qsizetype> added;
    placeSeams(m_text, start, end, added);
    const Writer writer = std::exchange(m_writer, Writer::Box);
    QTextCursor cursor(document);
    cursor.setPosition(int(seams.toDocument(start)));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(withSeams(m_text, start, end, added));
    seams.replace(start, std::numeric_limits<qsizetype>::max(), 0, added);
    m_writer = writer;
    m_filled = end;
}

void TextArea::startFill(qsizetype filled) {
    m_filled = filled;
    if (filled < fillTarget()) {
        m_document = Document::Filling;
        m_fillTimer.start();
    } else {
        stopFill();
    }
}

void TextArea::stopFill() {
    if (m_document == Document::Filling)
        m_document = Document::Whole;
    m_fillTimer.stop();
}

void TextArea::setExtent(Extent extent) {
    if (extent == m_extent)
        return;
    m_extent = extent;
    setReadOnly(extent == Extent::Start);
}

void TextArea::fillSlice(qint64 budgetMs) {
    if (m_document != Document::Filling)
        return;
    QElapsedTimer clock;
    clock.start();
    const qsizetype target = fillTarget();
    while (m_filled < target) {
        // With no time to keep to, the whole rest at once.
        qsizetype end = budgetMs < 0 ? target : std::min(target, m_filled + kSliceStep);
        if (end < target && m_text.at(end).isLowSurrogate())
            ++end;
        append(end);
        if (budgetMs >= 0 && clock.elapsed() >= budgetMs)
            break;
    }
    if (m_filled >= target)
        stopFill();
    else
        m_fillTimer.start();
}

void TextArea::fillWhileIdle() {
    fillSlice(kSliceMs);
}

void TextArea::finishFill() {
    fillSlice(-1);
}

bool TextArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar() || watched == horizontalScrollBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            finishFill();
            break;
        default:
            break;
        }
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

void TextArea::inputMethodEvent(QInputMethodEvent* event) {
    finishFill();
    QPlainTextEdit::inputMethodEvent(event);
}

void TextArea::mousePressEvent(QMouseEvent* event) {
    finishFill();
    QPlainTextEdit::mousePressEvent(event);
}

void TextArea::mouseDoubleClickEvent(QMouseEvent* event) {
    finishFill();
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

void TextArea::wheelEvent(QWheelEvent* event) {
    finishFill();
    QPlainTextEdit::wheelEvent(event);
}

void TextArea::dragEnterEvent(QDragEnterEvent* event) {
    finishFill();
    QPlainTextEdit::dragEnterEvent(event);
}

void TextArea::dropEvent(QDropEvent* event) {
    finishFill();
    QPlainTextEdit::dropEvent(event);
}

} // namespace quenby
