#include "window/controls.h"

#include "engine/codepoints.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace quenby {

bool PressTracker::release(Qt::MouseButton button) {
    if (!m_pressed.testFlag(button))
        return false;
    m_pressed &= ~Qt::MouseButtons(button);
    return true;
}

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

// The text with each line end (CR LF counts as one) as one LF: the form in
// which the box holds it, one character per document position.
QString withLineFeeds(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue; // the LF that follows ends the line
        out += endsLine(c) ? QChar(u'\n') : c;
    }
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
            keepShaping(block);
            const Mode mode(this, block);
            ensureBlockLayout(block);
        }
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    }

protected:
    void documentChanged(int from, int removed, int added) override {
        if (m_switching)
            return;
        const QTextBlock block = document()->findBlock(from);
        keepShaping(block);
        const Mode mode(this, block);
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
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
};

} // namespace

TextArea::TextArea(QWidget* parent, qsizetype capacity)
    : QPlainTextEdit(parent), m_capacity(std::clamp<qsizetype>(capacity, 0, kDocumentCapacity)) {
    auto* own = new QTextDocument(this);
    own->setDocumentLayout(new WrappingLayout(own));
    own->setDefaultFont(font());
    own->documentLayout()->setPaintDevice(viewport());
    setDocument(own);
    // Tab walks the window's controls, as in every other box.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &TextArea::onContentsChange);
    connect(this, &QPlainTextEdit::textChanged, this, &TextArea::onTextChanged);
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
    const QString middle = withLineFeeds(given);
    const qsizetype replaced = m_text.size() - prefix - suffix;
    if (QStringView(m_text).mid(prefix, replaced) == middle)
        return;
    const qsizetype oldLength = m_text.size();
    // Edit the box's own copy rather than share the caller's, so that the
    // next edit of either does not copy the whole text; but when the copy is
    // shared already (the clipboard holds it), taking the caller's text
    // costs nothing where editing would copy it.
    if (!m_text.isDetached() && given == middle)
        m_text = text;
    else
        m_text.replace(prefix, replaced, middle);
    if (isVisible() && !m_stale) {
        if (m_cut || m_text.size() > m_capacity)
            resetDocument();
        else
            writeDocument(prefix, oldLength - suffix, middle);
    } else {
        m_stale = true;
        // Only the last write counts: a replacement's step, or none.
        m_undoTo = m_replacing;
    }
    Q_EMIT Change();
}

void TextArea::writeDocument(qsizetype from, qsizetype to, const QString& middle) {
    if (m_replacing) {
        m_writing = true;
        editAsStep(from, to, middle);
        setTextCursor(QTextCursor(document()));
        m_writing = false;
        return;
    }
    const qsizetype kept = from + (document()->characterCount() - 1 - to);
    // Replacing most of a text costs more than setting it anew.
    if (kept < m_text.size() / 2) {
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

void TextArea::editDocument(qsizetype from, qsizetype to, const QString& middle) {
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(from));
    cursor.setPosition(documentPosition(to), QTextCursor::KeepAnchor);
    if (middle.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(middle);
}

void TextArea::editAsStep(qsizetype from, qsizetype to, const QString& middle) {
    QTextCursor step(document());
    if (m_stepOpen)
        step.joinPreviousEditBlock();
    else
        step.beginEditBlock();
    m_stepOpen = true;
    editDocument(from, to, middle);
    step.endEditBlock();
}

void TextArea::resetDocument() {
    m_writing = true;
    fillDocument(m_text);
    m_writing = false;
}

void TextArea::fillDocument(const QString& text) {
    const bool cut = text.size() > m_capacity;
    if (cut != m_cut) {
        m_cut = cut;
        setReadOnly(cut);
    }
    setPlainText(cut ? text.left(m_capacity) : text);
}

void TextArea::showEvent(QShowEvent* event) {
    if (m_stale) {
        m_stale = false;
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
    const qsizetype oldLength = m_text.size();
    const qsizetype newLength = document()->characterCount() - 1;
    const qsizetype from = std::clamp<qsizetype>(position, 0, oldLength);
    const qsizetype suffix = std::clamp<qsizetype>(oldLength - from - removed, 0, oldLength - from);
    const qsizetype to = newLength - suffix;
    if (to < from) { // not a change this can follow: read the whole text
        const QString now = documentText(0, newLength);
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
    m_changed = true;
}

void TextArea::onTextChanged() {
    if (m_writing || !m_changed)
        return;
    m_changed = false;
    Q_EMIT Change();
}

LineBox::LineBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &LineBox::onTextChanged);
}

void LineBox::setText(const QString& text) {
    if (text == m_text)
        return;
    QLineEdit::setText(text);
}

void LineBox::onTextChanged(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT Change();
}

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    // One signal for every change of value, whoever makes it.
    connect(this, &QCheckBox::stateChanged, this, [this] { Q_EMIT Click(); });
}

int CheckBox::value() const {
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(int value) {
    if (value == 2) {
        setTristate(true);
        setCheckState(Qt::PartiallyChecked);
        return;
    }
    setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
    setTristate(false);
}

bool CheckBox::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void CheckBox::nextCheckState() {
    // A click ticks a greyed box and toggles the others; never greys.
    setValue(value() == 1 ? 0 : 1);
}

void CheckBox::mousePressEvent(QMouseEvent* event) {
    m_mouse.press(event->button());
    QCheckBox::mousePressEvent(event);
    event->accept(); // keep the release of any button here
}

void CheckBox::mouseReleaseEvent(QMouseEvent* event) {
    QCheckBox::mouseReleaseEvent(event);
    if (!m_mouse.release(event->button()))
        return;
    Q_EMIT MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void CheckBox::keyReleaseEvent(QKeyEvent* event) {
    QCheckBox::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT KeyUp(event->key(), event->modifiers());
}

OptionButton::OptionButton(const QString& caption, int index, QWidget* parent)
    : QRadioButton(caption, parent), m_index(index) {
    // Tab stops at the selected button of the group only; the arrow keys
    // move the choice inside the group.
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        if (on)
            Q_EMIT Click(m_index);
    });
}

bool OptionButton::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void OptionButton::mousePressEvent(QMouseEvent* event) {
    m_mouse.press(event->button());
    QRadioButton::mousePressEvent(event);
    event->accept();
}

void OptionButton::mouseReleaseEvent(QMouseEvent* event) {
    QRadioButton::mouseReleaseEvent(event);
    if (!m_mouse.release(event->button()))
        return;
    Q_EMIT MouseUp(m_index, event->button(), event->modifiers(), event->position().toPoint());
}

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    connect(this, &QPushButton::clicked, this, [this] { Q_EMIT Click(); });
}

} // namespace quenby
