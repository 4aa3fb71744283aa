#pragma once

#include "fakes.h"
#include "window/skivler.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace quenby::testing {

// A window on the offscreen platform over fake desktop parts and a
// temporary program folder. Each test file names it after itself
// (`using FieldsTest = WindowTest;`), so that a test's name tells its file.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Skivler::prepareApplication(); }
    void TearDown() override {
        w.reset();
        EXPECT_TRUE(dialogs.answers.empty()) << "scripted answers left unused";
    }

    Skivler& open() {
        w = std::make_unique<Skivler>(Platform{clipboard, dialogs, folder});
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        // Start-up may queue writes: they are done, and their failures told,
        // before the test looks, as after any other action of the user's.
        w->finishWrites();
        return *w;
    }

    QByteArray bytes(const char* name) const {
        if (w)
            w->finishWrites();
        QFile f(folder.file(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const char* name, const QByteArray& content) const {
        QFile f(folder.file(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    // The window saves in the background: the helpers that act as the user
    // wait for the writes an action queued, and for their failures to be told.
    static void writesDone(QWidget* control) {
        if (auto* window = qobject_cast<Skivler*>(control->window()))
            window->finishWrites();
    }
    // Clicks a control the way a person does: press and release inside it.
    static void click(QWidget* control, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(control, button, Qt::NoModifier, QPoint(4, control->height() / 2));
        writesDone(control);
    }
    static void pressSpace(QWidget* control) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Space);
        writesDone(control);
    }
    // Types text at the end of a box, one key per character. The end of a
    // text area is the end of its whole text, also while its document fills.
    static void type(QWidget* box, const QString& text) {
        box->setFocus();
        if (auto* area = qobject_cast<TextArea*>(box))
            area->finishFill();
        if (auto* area = qobject_cast<QPlainTextEdit*>(box))
            area->moveCursor(QTextCursor::End);
        if (auto* line = qobject_cast<QLineEdit*>(box))
            line->end(false);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.unicode() < 128) {
                QTest::keyClick(box, char(c.unicode()));
                continue;
            }
            const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
            i += n - 1;
        }
        writesDone(box);
    }
    // What a box's document itself holds, read afresh, with LF line breaks
    // and the no-break space kept.
    static QString documentNow(const QPlainTextEdit* box) {
        QString raw = box->document()->toRawText();
        for (QChar& c : raw)
            if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
                c = QLatin1Char('\n');
        return raw;
    }
    // How many outputs went to the clipboard (Auto-Copy on: one per engine run).
    int copies() const { return int(clipboard.calls.count(QStringLiteral("SetText"))); }

    FakeClipboard clipboard;
    FakeDialogs dialogs;
    FakeFolder folder;
    std::unique_ptr<Skivler> w;
};

} // namespace quenby::testing
