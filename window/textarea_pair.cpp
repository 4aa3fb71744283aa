// The two boxes of a pair (Text1 and Text4, Text2 and Text5) are two views of
// one text, of which one is shown at a time. They share one document, seams
// and undo history with it (BoxDocument): the box that is shown holds it, the
// other holds an empty spare. When the other box is shown, it takes the
// document over; if both hold the same text it finds the document as the
// partner left it (filled or still filling, with its history and the
// partner's selection); if not, it brings the document up to its own text.
//
// A box that is not shown takes a new text at once (text(), Change) and
// marks its document stale; when it is shown it sets the document to its
// text, with the undo step of a Replacement when the last write was one.
#include "window/textarea.h"
#include "window/textarea_layout.h"

#include <QTextCursor>
#include <utility>

namespace quenby {

TextArea::~TextArea() {
    if (!m_partner)
        return;
    // The shared document lives as long as the box that holds it.
    if (m_partner->document() == m_pairDocument)
        m_pairDocument->setParent(m_partner);
    m_partner->m_partner = nullptr;
    m_partner->m_pairDocument = nullptr;
}

void TextArea::pair(TextArea* shown, TextArea* other) {
    shown->m_partner = other;
    other->m_partner = shown;
    shown->m_pairDocument = other->m_pairDocument = shown->boxDocument();
    other->m_spare = other->boxDocument();
    other->m_document = Document::Stale;
}

void TextArea::takeDocument(BoxDocument* document) {
    disconnect(m_following);
    document->setTakingOver(true);
    setDocument(document);
    document->setTakingOver(false);
    document->documentLayout()->setPaintDevice(viewport());
    m_following =
        connect(document, &QTextDocument::contentsChange, this, &TextArea::onContentsChange);
}

void TextArea::adoptPairDocument() {
    TextArea* holder = m_partner;
    // What the document holds, as the partner knows it.
    const bool same = holder->m_document != Document::Stale && holder->m_text == m_text;
    const Document state = holder->m_document;
    const qsizetype filled = holder->m_filled;
    const Extent extent = holder->m_extent;
    const QTextCursor selection = holder->textCursor();
    holder->m_selection = {selection.anchor(), selection.position()};
    holder->stopFill();
    if (!holder->m_spare)
        holder->m_spare = new BoxDocument(holder);
    holder->takeDocument(holder->m_spare);
    holder->m_document = Document::Stale;
    holder->setExtent(Extent::Whole);
    takeDocument(m_pairDocument);
    if (!same) {
        m_document = Document::Stale;
        m_away = Away::Kept;
        return;
    }
    // The document came with the replacement's step, if there was one.
    m_document = Document::Whole;
    m_undoTo.reset();
    setExtent(extent);
    if (state == Document::Filling)
        startFill(filled);
    // A box that took no new text while it was not shown shows the
    // selection it had; one that did shows its text as a new text.
    if (std::exchange(m_away, Away::Kept) == Away::Kept && m_selection) {
        QTextCursor cursor(document());
        cursor.setPosition(m_selection->first);
        cursor.setPosition(m_selection->second, QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
}

void TextArea::catchUp() {
    m_document = Document::Whole;
    m_away = Away::Kept;
    const std::optional<QString> undoTo = std::exchange(m_undoTo, std::nullopt);
    resetDocument();
    UndoHistory& history = boxDocument()->history;
    history.clear();
    // The replacement's step, from the text before it to the box's own.
    if (undoTo && undoTo->size() <= m_capacity && m_text.size() <= m_capacity &&
        *undoTo != m_text) {
        history.record(stepBetween(*undoTo, m_text), UndoHistory::Kind::Other);
        history.closeRun();
    }
}

void TextArea::showEvent(QShowEvent* event) {
    if (m_partner && document() != m_pairDocument)
        adoptPairDocument();
    if (m_document == Document::Stale)
        catchUp();
    QPlainTextEdit::showEvent(event);
}

} // namespace quenby
