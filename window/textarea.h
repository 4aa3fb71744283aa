#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace quenby {

class BoxDocument;

// A multi-line text box holding LF line breaks; raises Change only when its
// text really changed, whoever changed it, and giving it the text it already
// holds raises nothing. text() is the box's own text, character for
// character (the no-break space included), and so is what Ctrl+C, the
// context menu's Copy, a drag and a screen reader get.
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
// The document is a view of the text, which may differ from it:
// - It breaks a long paragraph into blocks at seams (textarea_seams.h), so
//   that an edit lays out one short block, not the whole paragraph.
// - A box that is not shown takes a new text at once and brings it into its
//   document when it is shown. Two boxes paired as two views of one text, of
//   which one is shown at a time, share one document (textarea_pair.cpp).
// - A big new text goes into the document with its first screen at once; the
//   rest follows in slices while the window is idle (textarea_fill.cpp).
//   Whatever reads or edits the document first brings the rest in: a key, a
//   mouse button, the wheel, a scroll bar, a drag, the context menu,
//   finishFill(). Undo does not: its steps are in positions of the text.
//
// A text longer than the document can hold stays whole in the box (text(),
// Change); the document shows its start, and the box is read-only until its
// text fits again, since no edit of a cut text could be followed.
class TextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    // The most of a text a document can hold: Qt counts its positions in int,
    // and one more than the text for the end of the last block; the seams
    // take at most one position in kSeamLength / 2.
    static constexpr qsizetype kDocumentCapacity =
        (std::numeric_limits<int>::max() - 1) / 2049 * 2048;

    // While a Replacement lives, the program's writes into its boxes are one
    // step that the user can undo (Ctrl+Z, the context menu) like an edit of
    // their own: a shown box keeps its undo history and takes the step, from
    // `before` (a text in the form text() gives) to its own text, on top of
    // it; a box not shown takes the step when it is next shown, unless
    // another write came first or its document comes with the step.
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
    bool filling() const { return m_document == Document::Filling; }

    // Replaces the text from..to by `text` as the user's own edit (one undo
    // step), as a paste does; the cursor goes after it.
    void edit(qsizetype from, qsizetype to, const QString& text);

    // Takes back the last step of the undo history, or does again the last
    // step taken back; as Ctrl+Z, Ctrl+Shift+Z and the context menu do.
    void undoStep();
    void redoStep();
    // The undo history's size in bytes of text.
    qsizetype undoBytes() const;

    // Positions in the text and in the document, which differ by the seams.
    qsizetype textPosition(int documentPosition) const;
    int documentPosition(qsizetype textPosition) const;
    // The text from..to between two positions of the document.
    QString textBetween(int documentFrom, int documentTo) const;

Q_SIGNALS:
    void Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How the document stands to the box's text.
    enum class Document {
        Whole,   // holds the whole text (or its start, see Extent)
        Filling, // holds the text up to m_filled, the rest to come
        Stale,   // lags behind: the box took a text while not shown
    };
    // How much of the text the document can show.
    enum class Extent { Whole, Start };
    // Who writes the document: the user (the box follows the edit), or the
    // box itself (it accounts for the edit itself).
    enum class Writer { User, Box };
    // Whether the document's text changed since the last textChanged.
    enum class Report { Nothing, Change };
    // Whether a box took a new text while its partner held the document.
    enum class Away { Kept, Written };

    BoxDocument* boxDocument() const;
    void onContentsChange(int position, int removed, int added);
    void onTextChanged();
    // The text from..to replaced by `middle` (the step of the history is the
    // caller's business); the document follows, the cursor after `middle`;
    // Change.
    void replaceText(qsizetype from, qsizetype to, QStringView middle);
    // The document follows a change of the text: from..oldTo is now
    // from..newTo.
    void follow(qsizetype from, qsizetype oldTo, qsizetype newTo);
    // Writes the text from..newTo into the document in place of what it held
    // from..oldTo (before the change), with the seams that block needs.
    void rewrite(qsizetype from, qsizetype oldTo, qsizetype newTo);
    // The end of the text the document holds.
    qsizetype documentEnd() const;

    // textarea_fill.cpp
    // Sets the document to the box's text: its first screen when it is big.
    void resetDocument();
    // How much of the text the document holds when it holds all it can.
    qsizetype fillTarget() const;
    // Keeps the document up to `from` and brings the rest in as a fill.
    void refill(qsizetype from);
    // Brings the text up to `end` into the document after m_filled.
    void append(qsizetype end);
    // From here on the document holds the text up to `filled`.
    void startFill(qsizetype filled);
    // Brings more of the text into the document, for about budgetMs; all of
    // the rest for a negative budget.
    void fillSlice(qint64 budgetMs);
    void fillWhileIdle();
    void stopFill();
    void setExtent(Extent extent);

    // textarea_layout.cpp
    // Cuts the block around text position `at` anew if an edit made it too
    // long.
    void recut(qsizetype at);
    // Before a key acts, moves the cursor over a seam the key would only
    // cross.
    void stepOverSeam(const QKeyEvent* event);

    // textarea_pair.cpp
    // Uses document as the box's own.
    void takeDocument(BoxDocument* document);
    // Takes the pair's document over from the partner.
    void adoptPairDocument();
    // Brings a stale document up to the text when the box is shown.
    void catchUp();

    QString m_text;
    Document m_document = Document::Whole;
    Extent m_extent = Extent::Whole;
    Writer m_writer = Writer::User;
    Report m_report = Report::Nothing;
    // Inside a Replacement: the text before it.
    std::optional<QString> m_replacing;
    // A stale box's pending undo step goes back to this text.
    std::optional<QString> m_undoTo;
    qsizetype m_capacity;
    // While Filling, the document holds the text up to here.
    qsizetype m_filled = 0;
    QTimer m_fillTimer;
    // Where the user's last edit ended, to cut its block anew if it grew.
    qsizetype m_edited = -1;
    // The other view of the same text, the document they share, and an empty
    // one that the box holds while the partner holds theirs.
    TextArea* m_partner = nullptr;
    BoxDocument* m_pairDocument = nullptr;
    BoxDocument* m_spare = nullptr;
    QMetaObject::Connection m_following;
    // The selection (anchor and position) the box had when its partner took
    // the document over, and whether it took a new text since.
    std::optional<std::pair<int, int>> m_selection;
    Away m_away = Away::Kept;
};

} // namespace quenby
