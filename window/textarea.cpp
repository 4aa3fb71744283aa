#include "window/textarea.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <algorithm>
#include <cstring>
#include <limits>
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

// A position for Qt, which counts document positions in int. The box never
// lets its document hold more than TextArea::kDocumentCapacity units, so a
// position of the document fits; the clamp keeps any other from wrapping round.
int documentPosition(qsizetype position) {
    return int(std::clamp<qsizetype>(position, 0, std::numeric_limits<int>::max()));
}

constexpr qsizetype kCompareChunk = 4096;

qsizetype commonPrefix(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    if (a.data() == b.data())
        return n; // one string shared
    qsizetype i = 0;
    while (i + kCompareChunk <= n &&
           std::memcmp(a.data() + i, b.data() + i, kCompareChunk * sizeof(QChar)) == 0)
        i += kCompareChunk;
    while (i < n && a[i] == b[i])
        ++i;
    // Never end inside a surrogate pair.
    if (i > 0 && i < n && a[i - 1].isHighSurrogate())
        --i;
    return i;
}

// The common end of a and b, leaving out their first `prefix` characters.
qsizetype commonSuffix(QStringView a, QStringView b, qsizetype prefix) {
    const qsizetype n = std::min(a.size(), b.size()) - prefix;
    const QChar* ea = a.data() + a.size();
    const QChar* eb = b.data() + b.size();
    qsizetype i = 0;
    while (i + kCompareChunk <= n && std::memcmp(ea - i - kCompareChunk, eb - i - kCompareChunk,
                                                 kCompareChunk * sizeof(QChar)) == 0)
        i += kCompareChunk;
    while (i < n && ea[-i - 1] == eb[-i - 1])
        ++i;
    if (i > 0 && i < n && ea[-i].isLowSurrogate())
        --i;
    return i;
}

// A run of more characters than this without a break opportunity is a long
// run (a line of base64, a DNA sequence, minified code).
constexpr qsizetype kLongRun = 1000;

// A paragraph longer than this keeps its shaping (see WrappingLayout).
constexpr qsizetype kKeptShaping = 16 * 1024;

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

// A space after which a line may break.
bool breakingSpace(QChar c) {
    switch (c.unicode()) {
    case 0x00A0: // no-break space
    case 0x2007: // figure space
    case 0x202F: // narrow no-break space
        return false;
    default:
        return c.isSpace();
    }
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
    // Qt drops what it worked out for a paragraph (its scripts, break
    // opportunities and glyphs) when its lines are laid out, and works it
    // out afresh over the whole paragraph for every cursor it places or draws
    // in it; a long paragraph keeps it, for the memory of its length.
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

// A text longer than this goes into a shown box's document a first screen at
// once, and the rest in slices while the window is idle.
constexpr qsizetype kFillAtOnce = 64 * 1024;
// Characters that fill a box's first screen, and then some: the first screen
// of a fill ends at the first line end after them.
constexpr qsizetype kScreen = 8 * 1024;
// How long one idle slice of a fill goes on, and how much of the text it puts
// in at a time (then on to the next line end).
constexpr qint64 kSliceMs = 8;
constexpr qsizetype kSliceStep = 32 * 1024;

QTextDocument* newDocument(QWidget* box) {
    auto* document = new QTextDocument(box);
    document->setDocumentLayout(new WrappingLayout(document));
    document->setDefaultFont(box->font());
    return document;
}

} // namespace

TextArea::TextArea(QWidget* parent, qsizetype capacity)
    : QPlainTextEdit(parent), m_capacity(std::clamp<qsizetype>(capacity, 0, kDocumentCapacity)) {
    takeDocument(newDocument(this));
    // Tab walks the window's controls, as in every other box.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &TextArea::onTextChanged);
    m_fillTimer.setSingleShot(true);
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, [this] { fillSlice(kSliceMs); });
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

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
    shown->m_pairDocument = other->m_pairDocument = shown->document();
    other->m_spare = other->document();
    other->m_stale = true;
}

void TextArea::takeDocument(QTextDocument* document) {
    disconnect(m_following);
    auto* layout = static_cast<WrappingLayout*>(document->documentLayout());
    layout->setTakingOver(true);
    setDocument(document);
    layout->setTakingOver(false);
    document->documentLayout()->setPaintDevice(viewport());
    m_following =
        connect(document, &QTextDocument::contentsChange, this, &TextArea::onContentsChange);
}

void TextArea::adoptPairDocument() {
    TextArea* holder = m_partner;
    // What the document holds, as the partner knows it.
    const bool same = !holder->m_stale && holder->m_text == m_text;
    const bool pending = holder->m_pending;
    const qsizetype filled = holder->m_filled;
    const bool inStep = holder->m_fillInStep;
    const bool cut = holder->m_cut;
    const QTextCursor selection = holder->textCursor();
    holder->m_selection = {selection.anchor(), selection.position()};
    holder->stopFill();
    if (!holder->m_spare)
        holder->m_spare = newDocument(holder);
    holder->takeDocument(holder->m_spare);
    holder->m_stale = true;
    if (holder->m_cut) {
        holder->m_cut = false;
        holder->setReadOnly(false);
    }
    takeDocument(m_pairDocument);
    if (!same) {
        m_stale = true;
        m_writtenAway = false;
        return;
    }
    // The document came with the replacement's step, if there was one.
    m_stale = false;
    m_undoTo.reset();
    if (cut != m_cut) {
        m_cut = cut;
        setReadOnly(cut);
    }
    if (pending)
        startFill(filled, inStep);
    // A box that took no new text while it was not shown shows the
    // selection it had; one that did shows its text as a new text.
    if (!std::exchange(m_writtenAway, false) && m_selection) {
        QTextCursor cursor(document());
        cursor.setPosition(m_selection->first);
        cursor.setPosition(m_selection->second, QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
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
    const bool follows = isVisible() && !m_stale;
    // An undo step needs the whole text before it in the document.
    if (follows && m_pending && (m_fillInStep || m_replacing))
        finishFill();
    const qsizetype oldLength = m_text.size();
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
        m_stale = true;
        m_writtenAway = true;
        // Only the last write counts: a replacement's step, or none.
        m_undoTo = m_replacing;
    } else if (m_cut || m_text.size() > m_capacity) {
        resetDocument();
    } else if (m_pending) {
        const qsizetype to = oldLength - suffix;
        if (prefix >= m_filled) {
            // The change lies in the part still to come.
        } else if (to <= m_filled && middle.size() <= kFillAtOnce) {
            m_writing = true;
            QTextDocument* document = this->document();
            document->setUndoRedoEnabled(false);
            editDocument(prefix, to, middle);
            document->setUndoRedoEnabled(true);
            m_filled += middle.size() - (to - prefix);
            m_writing = false;
        } else {
            resetDocument();
        }
        if (m_pending && m_filled >= fillTarget())
            stopFill();
        setTextCursor(QTextCursor(document()));
    } else {
        writeDocument(prefix, oldLength - suffix, middle);
    }
    Q_EMIT Change();
}

void TextArea::writeDocument(qsizetype from, qsizetype to, QStringView middle) {
    if (m_replacing) {
        m_writing = true;
        if (middle.size() > kFillAtOnce) {
            // The step takes out the rest of the old text and puts in a
            // screen of the new one; the rest of it follows, joined to the
            // step.
            const qsizetype end = screenEnd(from);
            editAsStep(from, document()->characterCount() - 1, m_text.mid(from, end - from));
            startFill(end, true);
        } else {
            editAsStep(from, to, middle);
        }
        setTextCursor(QTextCursor(document()));
        m_writing = false;
        return;
    }
    const qsizetype kept = from + (document()->characterCount() - 1 - to);
    // Replacing most of a text costs more than setting it anew.
    if (kept < m_text.size() / 2 || middle.size() > kFillAtOnce) {
        resetDocument();
        return;
    }
    QTextDocument* document = this->document();
    const bool undo = document->isUndoRedoEnabled();
    m_writing = true;
    // Like setPlainText: the program's write is not undoable and empties the
    // undo history.
    document->setUndoRedoEnabled(false);
    editDocument(from, to, middle);
    document->setUndoRedoEnabled(undo);
    setTextCursor(QTextCursor(document));
    m_writing = false;
}

void TextArea::editDocument(qsizetype from, qsizetype to, QStringView middle) {
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(from));
    cursor.setPosition(documentPosition(to), QTextCursor::KeepAnchor);
    if (middle.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(middle.toString());
}

void TextArea::editAsStep(qsizetype from, qsizetype to, QStringView middle) {
    QTextCursor step(document());
    if (m_stepOpen)
        step.joinPreviousEditBlock();
    else
        step.beginEditBlock();
    m_stepOpen = true;
    editDocument(from, to, middle);
    step.endEditBlock();
}

qsizetype TextArea::fillTarget() const {
    return std::min(m_text.size(), m_capacity);
}

qsizetype TextArea::screenEnd(qsizetype from) const {
    const qsizetype target = fillTarget();
    if (target - from <= kFillAtOnce)
        return target;
    const qsizetype lineEnd = m_text.indexOf(QLatin1Char('\n'), from + kScreen);
    return lineEnd < 0 || lineEnd >= target ? target : lineEnd + 1;
}

void TextArea::resetDocument() {
    stopFill();
    const qsizetype end = screenEnd(0);
    m_writing = true;
    const bool cut = m_text.size() > m_capacity;
    if (cut != m_cut) {
        m_cut = cut;
        setReadOnly(cut);
    }
    // As setPlainText leaves it (no undo history, the cursor at the start),
    // but without its selecting the whole document, which lays a paragraph
    // out once more than the edit does.
    QTextDocument* document = this->document();
    document->setUndoRedoEnabled(false);
    document->clear();
    QTextCursor(document).insertText(m_text.left(end));
    document->setUndoRedoEnabled(true);
    document->setModified(false);
    setTextCursor(QTextCursor(document));
    m_writing = false;
    startFill(end, false);
}

void TextArea::fillDocument(const QString& text) {
    const bool cut = text.size() > m_capacity;
    if (cut != m_cut) {
        m_cut = cut;
        setReadOnly(cut);
    }
    setPlainText(cut ? text.left(m_capacity) : text);
}

void TextArea::startFill(qsizetype filled, bool inStep) {
    m_filled = filled;
    m_fillInStep = inStep;
    m_pending = filled < fillTarget();
    if (m_pending)
        m_fillTimer.start();
    else
        m_fillTimer.stop();
}

void TextArea::stopFill() {
    m_pending = false;
    m_fillTimer.stop();
}

void TextArea::fillSlice(qint64 budgetMs) {
    if (!m_pending)
        return;
    QElapsedTimer clock;
    clock.start();
    QTextDocument* document = this->document();
    const qsizetype target = fillTarget();
    const bool writing = std::exchange(m_writing, true);
    QTextCursor cursor(document);
    if (m_fillInStep)
        cursor.joinPreviousEditBlock();
    else
        document->setUndoRedoEnabled(false);
    cursor.movePosition(QTextCursor::End);
    while (m_filled < target) {
        // On to a line end, so that no paragraph is laid out once per piece;
        // with no time to keep to, the whole rest at once.
        qsizetype end = target;
        if (budgetMs >= 0 && target - m_filled > kSliceStep) {
            const qsizetype lineEnd = m_text.indexOf(QLatin1Char('\n'), m_filled + kSliceStep);
            if (lineEnd >= 0 && lineEnd < target)
                end = lineEnd + 1;
        }
        cursor.insertText(m_text.mid(m_filled, end - m_filled));
        m_filled = end;
        if (budgetMs >= 0 && clock.elapsed() >= budgetMs)
            break;
    }
    if (m_fillInStep)
        cursor.endEditBlock();
    else
        document->setUndoRedoEnabled(true);
    m_writing = writing;
    if (m_filled >= target)
        stopFill();
    else
        m_fillTimer.start();
}

void TextArea::finishFill() {
    fillSlice(-1);
}

void TextArea::showEvent(QShowEvent* event) {
    if (m_partner && document() != m_pairDocument)
        adoptPairDocument();
    if (m_stale) {
        m_stale = false;
        m_writtenAway = false;
        const std::optional<QString> undoTo = std::exchange(m_undoTo, std::nullopt);
        if (undoTo && undoTo->size() <= m_capacity && m_text.size() <= m_capacity) {
            // The document starts from the text before the replacement and
            // takes the replacement as its one undo step.
            const QString& before = *undoTo;
            m_writing = true;
            fillDocument(before);
            const qsizetype prefix = commonPrefix(before, m_text);
            const qsizetype suffix = commonSuffix(before, m_text, prefix);
            if (prefix < before.size() || prefix < m_text.size()) {
                m_stepOpen = false;
                editAsStep(prefix, before.size() - suffix,
                           m_text.mid(prefix, m_text.size() - prefix - suffix));
            }
            setTextCursor(QTextCursor(document()));
            m_writing = false;
        } else {
            resetDocument();
        }
    }
    QPlainTextEdit::showEvent(event);
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

void TextArea::keyPressEvent(QKeyEvent* event) {
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
    }
    QPlainTextEdit::keyPressEvent(event);
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

void TextArea::contextMenuEvent(QContextMenuEvent* event) {
    finishFill();
    QPlainTextEdit::contextMenuEvent(event);
}

void TextArea::dragEnterEvent(QDragEnterEvent* event) {
    finishFill();
    QPlainTextEdit::dragEnterEvent(event);
}

void TextArea::dropEvent(QDropEvent* event) {
    finishFill();
    QPlainTextEdit::dropEvent(event);
}

TextArea::Replacement::Replacement(const QString& before, std::initializer_list<TextArea*> boxes) {
    for (TextArea* box : boxes) {
        if (box->m_replacing)
            continue; // inside an outer replacement: one step for both
        box->m_replacing = before;
        box->m_stepOpen = false;
        m_boxes.push_back(box);
    }
}

TextArea::Replacement::~Replacement() {
    for (TextArea* box : m_boxes) {
        box->m_replacing.reset();
        box->m_stepOpen = false;
    }
}

void TextArea::setWrapping(bool wrap) {
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString TextArea::documentText(qsizetype from, qsizetype to) const {
    if (to <= from)
        return QString();
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(from));
    cursor.setPosition(documentPosition(to), QTextCursor::KeepAnchor);
    // selectedText() keeps the no-break space (toPlainText() would not) and
    // gives each block's end as the paragraph separator.
    QString text = cursor.selectedText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}

void TextArea::onContentsChange(int position, int removed, int) {
    if (m_writing || m_stale || m_cut)
        return;
    // The counts may take in the document's last block end, which is no
    // part of the text: only the text after the change counts, as it stands.
    // While a fill is pending the document holds the text up to m_filled.
    const qsizetype oldLength = m_pending ? m_filled : m_text.size();
    const qsizetype newLength = document()->characterCount() - 1;
    const qsizetype from = std::clamp<qsizetype>(position, 0, oldLength);
    const qsizetype suffix = std::clamp<qsizetype>(oldLength - from - removed, 0, oldLength - from);
    const qsizetype to = newLength - suffix;
    if (to < from) { // not a change this can follow: read the whole text
        QString now = documentText(0, newLength);
        if (m_pending) {
            now += QStringView(m_text).mid(m_filled);
            m_filled = newLength;
        }
        if (now != m_text) {
            m_text = now;
            m_changed = true;
        }
        return;
    }
    const QString now = documentText(from, to);
    const qsizetype replaced = oldLength - from - suffix;
    if (QStringView(m_text).mid(from, replaced) == now)
        return; // a change of format only
    m_text.replace(from, replaced, now);
    if (m_pending)
        m_filled = newLength;
    m_changed = true;
}

void TextArea::onTextChanged() {
    if (m_writing || !m_changed)
        return;
    m_changed = false;
    Q_EMIT Change();
}

} // namespace quenby
