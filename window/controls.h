#pragma once

#include "window/textarea.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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
