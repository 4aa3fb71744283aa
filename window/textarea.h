#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace quenby {

// A multi-line text box holding LF line breaks; raises Change only when its
// text really changed, whoever changed it, and giving it the text it already
// holds raises nothing. text() keeps characters that
// QPlainTextEdit::toPlainText() would alter (the no-break space).
//
// The box keeps its text as a string of its own, which follows the document
// edit by edit (QTextDocument::contentsChange), so that neither reading the
// text nor a keystroke costs a pass over the whole text. A new text from the
// program replaces only the range that differs (common prefix and suffix);
// afterwards the box looks as if its whole text had been set: the cursor at
// the start, scrolled to the top, no undo history (but see Replacement).
// Every line end of a text from the program (CR LF, CR, the line and
// paragraph separators) goes into the document as LF.
//
// The document may lag behind the text, which text() and Change never do:
// - A box that is not shown takes a new text at once and brings it into its
//   document when it is shown. Two boxes paired as two views of one text, of
//   which one is shown at a time, share one document: the box that is shown
//   takes it over from the other, with its undo history, and has nothing to
//   bring in when both hold the same text.
// - A big new text goes into the document with its first screen at once; the
//   rest follows in slices while the window is idle. Whatever reads or edits
//   the document first brings the rest in: a key, a mouse button, the wheel,
//   a scroll bar, a drag, the context menu, finishFill().
//
// A text longer than the document can hold stays whole in the box (text(),
// Change); the document shows its start, and the box is read-only until its
// text fits again, since no edit of a cut text could be followed.
class TextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    // The most of a text a document can hold: Qt counts its positions in int,
    // and one more than the text for the end of the last block.
    static constexpr qsizetype kDocumentCapacity = std::numeric_limits<int>::max() - 1;

    // While a Replacement lives, the program's writes into its boxes are one
    // step that the user can undo (Ctrl+Z, the context menu) like an edit of
    // their own: a shown box keeps its undo history and its writes join into
    // one step on top of it; a box not shown takes the step, from `before` (a
    // text in the form text() gives) to its own text, when it is next shown,
    // unless another write came first or its document comes with the step.
    class Replacement {
    public:
        Replacement(const QString& before, std::initializer_list<TextArea*> boxes);
        ~Replacement();
        Replacement(const Replacement&) = delete;
        Replacement& operator=(const Replacement&) = delete;

    private:
        std::vector<TextArea*> m_boxes;
    };

    // A box whose document shows at most `capacity` units of its text.
    explicit TextArea(QWidget* parent = nullptr, qsizetype capacity = kDocumentCapacity);
    ~TextArea() override;

    // Makes the two boxes two views of one text that share one document;
    // `shown` holds it now.
    static void pair(TextArea* shown, TextArea* other);

    QString text() const { return m_text; }
    // Gives the box a new text; raises Change only when it differs.
    void setText(const QString& text);
    void setWrapping(bool wrap);

    // Brings the rest of a big text into the document now.
    void finishFill();
    // Whether part of the text is still to come into the document.
    bool filling() const { return m_pending; }

Q_SIGNALS:
    void Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void onContentsChange(int position, int removed, int added);
    void onTextChanged();
    // The document's text from..to with LF line breaks.
    QString documentText(qsizetype from, qsizetype to) const;
    // Puts middle in place of from..to in the document, as setPlainText
    // would have left it for the whole text.
    void writeDocument(qsizetype from, qsizetype to, QStringView middle);
    // Sets the document to the box's text: its first screen when it is big.
    void resetDocument();
    // Sets the document to text, or to its start when it does not fit.
    void fillDocument(const QString& text);
    // Puts middle in place of from..to in the document.
    void editDocument(qsizetype from, qsizetype to, QStringView middle);
    // editDocument as the open Replacement's undo step.
    void editAsStep(qsizetype from, qsizetype to, QStringView middle);
    // How much of the text the document holds when it holds all it can.
    qsizetype fillTarget() const;
    // The end of the text's first screen when the document holds it up to
    // `from`: after the first line end a screen further, or the whole text.
    qsizetype screenEnd(qsizetype from) const;
    // From here on the document holds the text up to `filled`, the rest to
    // come; as part of the undo step on top when `inStep`.
    void startFill(qsizetype filled, bool inStep);
    // Brings more of the text into the document, for about budgetMs; all of
    // the rest for a negative budget.
    void fillSlice(qint64 budgetMs);
    void stopFill();
    // Uses document as the box's own.
    void takeDocument(QTextDocument* document);
    // Takes the pair's document over from the partner.
    void adoptPairDocument();

    QString m_text;
    // The document's text changed since the last textChanged.
    bool m_changed = false;
    // setText, a show or a fill is writing the document and accounts for it
    // itself.
    bool m_writing = false;
    // The document lags behind m_text: the box got a text while not shown,
    // or holds no document of the pair.
    bool m_stale = false;
    // Inside a Replacement: the text before it, and whether this box's undo
    // step is open (later writes join it).
    std::optional<QString> m_replacing;
    bool m_stepOpen = false;
    // A stale box's pending undo step goes back to this text.
    std::optional<QString> m_undoTo;
    qsizetype m_capacity;
    // The document shows only the start of the text.
    bool m_cut = false;
    // The document holds the text up to m_filled, the rest to come in
    // slices, joined into the undo step on top when m_fillInStep.
    bool m_pending = false;
    qsizetype m_filled = 0;
    bool m_fillInStep = false;
    QTimer m_fillTimer;
    // The other view of the same text, the document they share, and an empty
    // one that the box holds while the partner holds theirs.
    TextArea* m_partner = nullptr;
    QTextDocument* m_pairDocument = nullptr;
    QTextDocument* m_spare = nullptr;
    QMetaObject::Connection m_following;
    // The selection (anchor and position) the box had when its partner took
    // the document over, and whether it took a new text since.
    std::optional<std::pair<int, int>> m_selection;
    bool m_writtenAway = false;
};

} // namespace quenby
