// A screen reader reads a text box through QAccessibleTextInterface. Qt's
// own interface for a QPlainTextEdit reads the document, which would give a
// seam as a line break and count offsets with the seams in them; this one
// reads the box's text and maps each offset between the text and the
// document, where the cursor, the selection and the characters' places are.
#include "window/textarea_access.h"

#include "window/textarea.h"

#include <QAccessibleWidget>
#include <QTextCursor>
#include <algorithm>
#include <climits>

namespace quenby {

namespace {

class AccessibleTextArea : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit AccessibleTextArea(TextArea* box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface && !box()->isReadOnly())
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text what) const override {
        if (what == QAccessible::Value)
            return box()->text();
        return QAccessibleWidget::text(what);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.editable = !box()->isReadOnly();
        s.readOnly = box()->isReadOnly();
        s.selectableText = true;
        return s;
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const QTextCursor cursor = box()->textCursor();
        if (index != 0 || !cursor.hasSelection())
            return;
        *start = offset(cursor.selectionStart());
        *end = offset(cursor.selectionEnd());
    }
    int selectionCount() const override { return box()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index != 0)
            return;
        QTextCursor cursor = box()->textCursor();
        cursor.clearSelection();
        box()->setTextCursor(cursor);
    }
    void setSelection(int index, int start, int end) override {
        if (index != 0)
            return;
        box()->finishFill();
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(box()->documentPosition(start));
        cursor.setPosition(box()->documentPosition(end), QTextCursor::KeepAnchor);
        box()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return offset(box()->textCursor().position()); }
    void setCursorPosition(int position) override {
        box()->finishFill();
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(box()->documentPosition(position));
        box()->setTextCursor(cursor);
    }

    QString text(int start, int end) const override {
        const QString all = box()->text();
        start = std::clamp(start, 0, int(std::min<qsizetype>(all.size(), INT_MAX)));
        end = std::clamp(end, start, int(std::min<qsizetype>(all.size(), INT_MAX)));
        return all.mid(start, end - start);
    }
    int characterCount() const override {
        return int(std::min<qsizetype>(box()->text().size(), INT_MAX));
    }

    QRect characterRect(int at) const override {
        const QRect here = box()->cursorRect(cursorAt(at));
        const QRect next = box()->cursorRect(cursorAt(at + 1));
        const int width = next.top() == here.top() ? std::max(1, next.left() - here.left())
                                                   : std::max(1, here.height() / 2);
        return QRect(box()->viewport()->mapToGlobal(here.topLeft()), QSize(width, here.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = box()->viewport()->mapFromGlobal(point);
        return offset(box()->cursorForPosition(local).position());
    }
    void scrollToSubstring(int start, int) override {
        box()->finishFill();
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(box()->documentPosition(start));
        box()->setTextCursor(cursor);
        box()->ensureCursorVisible();
    }
    QString attributes(int at, int* start, int* end) const override {
        *start = *end = at;
        return QString();
    }

    // An edit through the screen reader is the user's own: one undo step.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int at, const QString& text) override { replaceText(at, at, text); }
    void replaceText(int start, int end, const QString& text) override {
        const qsizetype size = box()->text().size();
        const qsizetype from = std::clamp<qsizetype>(start, 0, size);
        box()->edit(from, std::clamp<qsizetype>(end, from, size), text);
    }

private:
    TextArea* box() const { return static_cast<TextArea*>(widget()); }
    int offset(int documentPosition) const {
        return int(std::min<qsizetype>(box()->textPosition(documentPosition), INT_MAX));
    }
    QTextCursor cursorAt(int at) const {
        QTextCursor cursor(box()->document());
        cursor.setPosition(box()->documentPosition(at));
        return cursor;
    }
};

} // namespace

QAccessibleInterface* accessibleTextArea(const QString& className, QObject* object) {
    if (className != QLatin1String("quenby::TextArea") || !object || !object->isWidgetType())
        return nullptr;
    return new AccessibleTextArea(static_cast<TextArea*>(object));
}

} // namespace quenby
