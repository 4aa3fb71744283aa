#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <initializer_list>
#include <limits>
#include <optional>
#include <vector>

// Thin adapters that give the Qt widgets the event behaviour the window's
// handlers are written against:
// - a text box raises Change only when its text really changed, whoever
//   changed it, and giving it the text it already holds raises nothing;
// - a check box raises Click on every change of its value (mouse, keyboard
//   or program), MouseUp after the click of the same mouse release (any
//   button, also released off the box), KeyUp after the key's own effect;
// - an option button raises Click when it becomes selected;
// - check boxes and option buttons react anywhere in their rectangle.
// Every signal is delivered synchronously, so handlers nest.
namespace quenby {

// A multi-line text box holding LF line breaks. text() keeps characters
// that QPlainTextEdit::toPlainText() would alter (the no-break space).
//
// The box keeps its text as a string of its own, which follows the document
// edit by edit (QTextDocument::contentsChange), so that neither reading the
// text nor a keystroke costs a pass over the whole text. A new text from the
// program replaces only the range that differs (common prefix and suffix);
// afterwards the box looks as if its whole text had been set: the cursor at
// the start, scrolled to the top, no undo history (but see Replacement).
// Every line end of a text from the program (CR LF, CR, the line and
// paragraph separators) goes into the document as LF. A box that is not shown
// takes a new text at once (text() and Change as ever) and brings it into its
// document when it is shown. A text longer than the document can hold stays
// whole in the box (text(), Change); the document shows its start, and the
// box is read-only until its text fits again, since no edit of a cut text
// could be followed.
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
    // unless another write came first.
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

    QString text() const { return m_text; }
    // Gives the box a new text; raises Change only when it differs.
    void setText(const QString& text);
    void setWrapping(bool wrap);

Q_SIGNALS:
    void Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onContentsChange(int position, int removed, int added);
    void onTextChanged();
    // The document's text from..to with LF line breaks.
    QString documentText(qsizetype from, qsizetype to) const;
    // Puts middle in place of from..to in the document, as setPlainText
    // would have left it for the whole text.
    void writeDocument(qsizetype from, qsizetype to, const QString& middle);
    // Sets the document to the box's text.
    void resetDocument();
    // Sets the document to text, or to its start when it does not fit.
    void fillDocument(const QString& text);
    // Puts middle in place of from..to in the document.
    void editDocument(qsizetype from, qsizetype to, const QString& middle);
    // editDocument as the open Replacement's undo step.
    void editAsStep(qsizetype from, qsizetype to, const QString& middle);

    QString m_text;
    // The document's text changed since the last textChanged.
    bool m_changed = false;
    // setText or a show is writing the document and accounts for it itself.
    bool m_writing = false;
    // The document lags behind m_text: the box got a text while not shown.
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
};

// A one-line text box without the 32,767-character limit of QLineEdit.
class LineBox : public QLineEdit {
    Q_OBJECT
public:
    explicit LineBox(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

Q_SIGNALS:
    void Change();

private:
    void onTextChanged(const QString& text);

    QString m_text;
};

// Remembers which mouse buttons were pressed on a control, so that the
// release of each one is reported once, wherever the pointer is then.
class PressTracker {
public:
    void press(Qt::MouseButton button) { m_pressed |= button; }
    // True when the button was pressed on the control; forgets it.
    bool release(Qt::MouseButton button);

private:
    Qt::MouseButtons m_pressed;
};

// A check box with the values 0 (unticked), 1 (ticked) and 2 (greyed). The
// greyed value comes only from the program; a click never produces it.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);

    int value() const;
    void setValue(int value);

Q_SIGNALS:
    void Click();
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void KeyUp(int key, Qt::KeyboardModifiers shift);

protected:
    bool hitButton(const QPoint& position) const override;
    void nextCheckState() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    PressTracker m_mouse;
};

// One option button of a group; index is its place in the group.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(const QString& caption, int index, QWidget* parent = nullptr);

    int index() const { return m_index; }

Q_SIGNALS:
    void Click(int index);
    void MouseUp(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);

protected:
    bool hitButton(const QPoint& position) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index = 0;
    PressTracker m_mouse;
};

// A command button; Click when pressed with the mouse or the keyboard.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

Q_SIGNALS:
    void Click();
};

} // namespace quenby
