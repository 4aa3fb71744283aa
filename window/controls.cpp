#include "window/controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <limits>

namespace quenby {

bool PressTracker::release(Qt::MouseButton button) {
    if (!m_pressed.testFlag(button))
        return false;
    m_pressed &= ~Qt::MouseButtons(button);
    return true;
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
