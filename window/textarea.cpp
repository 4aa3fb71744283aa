// The text box: its text, how it follows the user's edits in the document,
// the program's writes, undo, and the clipboard. How the document is filled
// lives in textarea_fill.cpp, the pair of boxes in textarea_pair.cpp, seams
// and long lines in textarea_seams.cpp and textarea_layout.cpp.
//
// The box's text is the truth; the document shows it, broken at seams, maybe
// not yet whole. Every change of the text goes one of two ways:
// - The user edits the document (a key, the input method, a cut): the
//   document's contentsChange tells where; the box maps the range back to
//   its text through the seams, copies the new characters into its text and
//   records the edit in the undo history.
// - The box writes it (setText, undo, a paste or a drop): the box changes its
//   text, records the step, and rewrites in the document only the blocks the
//   change touched, with the seams they need, while it ignores the
//   contentsChange that this raises.
#include "window/textarea.h"

#include "window/textarea_access.h"
#include "window/textarea_layout.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <utility>

namespace quenby {

namespace {

// Whether the document stores c as the end of a line: QTextCursor::insertText
// (and so setPlainText) ends a block at LF, CR, the paragraph separator and
// the frame marks, and the document keeps the line separator, which the box
// reads as LF as well.
bool endsLine(QChar c) {
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
    case 0xFDD0: // beginning of frame
    case 0xFDD1: // end of frame
        return true;
    default:
        return false;
    }
}

// Whether the text holds a line end other than LF.
bool holdsOtherLineEnds(QStringView text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c != QLatin1Char('\n') && endsLine(c); });
}

// The text with each line end (CR LF counts as one) as one LF: the form in
// which the box holds it, one character per document position.
QString withLineFeeds(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue; // the LF that follows ends the line
        *to++ = endsLine(c) ? QChar(u'\n') : c;
    }
    out.truncate(to - out.constData());
    return out;
}

// The document's text from..to (document positions) with LF line breaks:
// selectedText() keeps the no-break space (toPlainText() would not) and gives
// each block's end as the paragraph separator.
QString documentText(QTextDocument* document, qsizetype from, qsizetype to) {
    if (to <= from)
        return QString();
    QTextCursor cursor(document);
    cursor.setPosition(int(from));
    cursor.setPosition(int(to), QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}

// What kind of step a user's edit is, for joining steps in the history.
UndoHistory::Kind kindOf(QStringView removed, QStringView inserted) {
    if (removed.isEmpty() && !inserted.isEmpty() && inserted.size() <= 2 &&
        !inserted.contains(QLatin1Char('\n')))
        return UndoHistory::Kind::Typing;
    if (inserted.isEmpty() && !removed.isEmpty() && removed.size() <= 2)
        return UndoHistory::Kind::Deleting;
    return UndoHistory::Kind::Other;
}

} // namespace

TextArea::TextArea(QWidget* parent, qsizetype capacity)
    : QPlainTextEdit(parent), m_capacity(std::clamp<qsizetype>(capacity, 0, kDocumentCapacity)) {
    // A screen reader reads the box's own text (textarea_access.h).
    static const bool accessible = (QAccessible::installFactory(&accessibleTextArea), true);
    Q_UNUSED(accessible);
    takeDocument(new BoxDocument(this));
    // Tab walks the window's controls, as in every other box.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &TextArea::onTextChanged);
    m_fillTimer.setSingleShot(true);
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, [this] { fillWhileIdle(); });
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

BoxDocument* TextArea::boxDocument() const {
    return static_cast<BoxDocument*>(document());
}

qsizetype TextArea::undoBytes() const {
    return boxDocument()->history.bytes();
}

qsizetype TextArea::documentEnd() const {
    return m_document == Document::Filling ? m_filled : fillTarget();
}

qsizetype TextArea::textPosition(int documentPosition) const {
    return std::clamp<qsizetype>(boxDocument()->seams.toText(documentPosition), 0, documentEnd());
}

int TextArea::documentPosition(qsizetype textPosition) const {
    const qsizetype end = document()->characterCount() - 1;
    return int(std::clamp<qsizetype>(boxDocument()->seams.toDocument(textPosition), 0, end));
}

QString TextArea::textBetween(int documentFrom, int documentTo) const {
    if (m_document == Document::Stale)
        return QString();
    const qsizetype from = textPosition(std::min(documentFrom, documentTo));
    const qsizetype to = textPosition(std::max(documentFrom, documentTo));
    return m_text.mid(from, to - from);
}

void TextArea::setText(const QString& text) {
    // What the box holds has no line end but LF, so a common prefix or suffix
    // of the new text needs no conversion: only the range between them.
    const qsizetype prefix = commonPrefix(text, m_text);
    if (prefix == text.size() && prefix == m_text.size())
        return;
    qsizetype suffix = commonSuffix(text, m_text, prefix);
    const qsizetype end = text.size() - suffix;
    if (suffix > 0 && end > prefix && text.at(end - 1) == QLatin1Char('\r'))
        --suffix; // the LF of a CR LF belongs with its CR
    const QStringView given = QStringView(text).mid(prefix, text.size() - prefix - suffix);
    const bool converted = holdsOtherLineEnds(given);
    const QString withLf = converted ? withLineFeeds(given) : QString();
    const QStringView middle = converted ? QStringView(withLf) : given;
    const qsizetype replaced = m_text.size() - prefix - suffix;
    if (QStringView(m_text).mid(prefix, replaced) == middle)
        return;
    const bool follows = isVisible() && m_document != Document::Stale;
    // Edit the box's own copy rather than share the caller's, so that the
    // next edit of either does not copy the whole text; but when the copy is
    // shared already (the clipboard holds it), or goes whole, taking the
    // caller's text costs nothing where editing would copy it.
    if (!converted && (!m_text.isDetached() || replaced == m_text.size()))
        m_text = text;
    else
        m_text.replace(prefix, replaced, middle.data(), middle.size());
    if (!follows) {
        stopFill();
        m_document = Document::Stale;
        m_away = Away::Written;
        // Only the last write counts: a replacement's step, or none.
        m_undoTo = m_replacing;
    } else {
        // Like setPlainText, the program's write empties the undo history;
        // inside a Replacement it is part of the step the Replacement leaves.
        UndoHistory& history = boxDocument()->history;
        if (m_replacing)
            history.closeRun();
        else
            history.clear();
        follow(prefix, prefix + replaced, prefix + middle.size());
        setTextCursor(QTextCursor(document()));
    }
    Q_EMIT Change();
}

void TextArea::replaceText(qsizetype from, qsizetype to, QStringView middle) {
    m_text.replace(from, to - from, middle.data(), middle.size());
    follow(from, to, from + middle.size());
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(from + middle.size()));
    setTextCursor(cursor);
    ensureCursorVisible();
    Q_EMIT Change();
}

void TextArea::rewrite(qsizetype from, qsizetype oldTo, qsizetype newTo) {
    BoxDocument* document = boxDocument();
    Seams& seams = document->seams;
    const qsizetype delta = newTo - oldTo;
    // Where the text the document holds ends, after the change.
    const qsizetype newEnd = m_document == Document::Filling ? m_filled + delta : fillTarget();
    // From the start of the block where the change starts (the text before
    // it is as it was) to the end of the block where it ends.
    const qsizetype start = blockStart(m_text, seams, from);
    qsizetype limit = std::min(newEnd, newTo + kLongestBlock);
    const qsizetype nextSeam = seams.firstAfter(oldTo);
    if (nextSeam >= 0)
        limit = std::min(limit, nextSeam + delta);
    const qsizetype lineEnd = QStringView(m_text).mid(newTo, limit - newTo).indexOf(u'\n');
    const qsizetype end = lineEnd >= 0 ? newTo + lineEnd : limit;
    std::vector<qsizetype> added;
    placeSeams(m_text, start, end, added);

    const Writer writer = std::exchange(m_writer, Writer::Box);
    QTextCursor cursor(document);
    cursor.setPosition(int(seams.toDocument(start)));
    cursor.setPosition(int(seams.toDocumentBefore(end - delta)), QTextCursor::KeepAnchor);
    if (end > start)
        cursor.insertText(withSeams(m_text, start, end, added));
    else
        cursor.removeSelectedText();
    seams.replace(start, end - delta, delta, added);
    m_writer = writer;
}

void TextArea::onContentsChange(int position, int removed, int) {
    if (m_writer == Writer::Box || m_document == Document::Stale || m_extent == Extent::Start)
        return;
    BoxDocument* document = boxDocument();
    Seams& seams = document->seams;
    // The counts may take in the document's last block end, which is no
    // part of the text: only the text after the change counts, as it stands.
    const qsizetype oldLength = documentEnd() + seams.count();
    const qsizetype newLength = document->characterCount() - 1;
    const qsizetype from = std::clamp<qsizetype>(position, 0, std::min(oldLength, newLength));
    const qsizetype suffix =
        std::clamp<qsizetype>(oldLength - from - removed, 0, std::min(oldLength, newLength) - from);
    const qsizetype oldTo = oldLength - suffix;
    const qsizetype newTo = newLength - suffix;
    // The range Qt names may hold more than what changed (the input method
    // names the whole block, its end too): only what differs counts, so that
    // a seam the edit did not touch stays one.
    const qsizetype textFrom = seams.toText(from);
    const qsizetype textTo = seams.toText(oldTo);
    const std::vector<qsizetype> inside = seams.within(from, oldTo);
    const QString was = inside.empty() ? m_text.mid(textFrom, textTo - textFrom)
                                       : withSeams(m_text, textFrom, textTo, inside)
                                             .replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    const QString all = documentText(document, from, newTo);
    const qsizetype head = commonPrefix(was, all);
    const qsizetype tail = commonSuffix(was, all, head);
    if (head == was.size() && head == all.size())
        return; // a change of format only
    const qsizetype changeFrom = seams.toText(from + head);
    const qsizetype changeTo = seams.toText(oldTo - tail);
    const QString now = all.mid(head, all.size() - head - tail);
    const QString out = m_text.mid(changeFrom, changeTo - changeFrom);
    seams.edit(from + head, oldTo - tail, now.size() - out.size());
    m_text.replace(changeFrom, out.size(), now);
    if (m_document == Document::Filling)
        m_filled += now.size() - out.size();
    const UndoHistory::Kind kind = kindOf(out, now);
    document->history.record({changeFrom, out, now}, kind);
    m_edited = changeFrom + now.size();
    m_report = Report::Change;
}

void TextArea::onTextChanged() {
    if (m_writer == Writer::Box || m_report == Report::Nothing)
        return;
    m_report = Report::Nothing;
    // A block that the edit made too long is cut anew once the edit is done.
    if (m_edited >= 0)
        QMetaObject::invokeMethod(
            this, [this] { recut(std::exchange(m_edited, -1)); }, Qt::QueuedConnection);
    Q_EMIT Change();
}

void TextArea::undoStep() {
    if (isReadOnly() || m_document == Document::Stale)
        return;
    if (const std::optional<UndoHistory::Step> step = boxDocument()->history.undo())
        replaceText(step->at, step->at + step->inserted.size(), step->removed);
}

void TextArea::redoStep() {
    if (isReadOnly() || m_document == Document::Stale)
        return;
    if (const std::optional<UndoHistory::Step> step = boxDocument()->history.redo())
        replaceText(step->at, step->at + step->removed.size(), step->inserted);
}

QMimeData* TextArea::createMimeDataFromSelection() const {
    // The box's own text, not the document's: no seam, and the no-break
    // space kept (QPlainTextEdit would give a space).
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void TextArea::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText())
        return;
    finishFill();
    const QTextCursor cursor = textCursor();
    edit(textPosition(cursor.selectionStart()), textPosition(cursor.selectionEnd()),
         source->text());
}

void TextArea::edit(qsizetype from, qsizetype to, const QString& text) {
    if (isReadOnly() || m_document == Document::Stale)
        return;
    const QString in = withLineFeeds(text);
    if (in.isEmpty() && from == to)
        return;
    boxDocument()->history.record({from, m_text.mid(from, to - from), in},
                                  UndoHistory::Kind::Other);
    replaceText(from, to, in);
    finishFill();
}

void TextArea::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        if (event->matches(QKeySequence::Undo))
            undoStep();
        else
            redoStep();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        break; // a key that reaches no text
    default:
        finishFill();
        stepOverSeam(event);
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextArea::contextMenuEvent(QContextMenuEvent* event) {
    finishFill();
    QMenu* menu = createStandardContextMenu(event->pos());
    // Undo and Redo are the box's own (the document keeps no history).
    const UndoHistory& history = boxDocument()->history;
    for (QAction* action : menu->actions()) {
        const bool undo = action->objectName() == QLatin1String("edit-undo");
        const bool redo = action->objectName() == QLatin1String("edit-redo");
        if (!undo && !redo)
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this,
                undo ? &TextArea::undoStep : &TextArea::redoStep);
        action->setEnabled(!isReadOnly() && (undo ? history.canUndo() : history.canRedo()));
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TextArea::setWrapping(bool wrap) {
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

TextArea::Replacement::Replacement(const QString& before, std::initializer_list<TextArea*> boxes) {
    for (TextArea* box : boxes) {
        if (box->m_replacing)
            continue; // inside an outer replacement: one step for both
        box->m_replacing = before;
        m_boxes.push_back(box);
    }
}

TextArea::Replacement::~Replacement() {
    for (TextArea* box : m_boxes) {
        const QString before = *std::exchange(box->m_replacing, std::nullopt);
        // A shown box takes its writes as one step; one not shown takes it
        // when shown (m_undoTo).
        if (box->m_document == Document::Stale || !box->isVisible() || before == box->m_text)
            continue;
        UndoHistory& history = box->boxDocument()->history;
        history.record(stepBetween(before, box->m_text), UndoHistory::Kind::Other);
        history.closeRun();
    }
}

} // namespace quenby
