#pragma once

#include "window/platform.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <vector>

// Stand-ins for the desktop: a clipboard that can refuse, dialogs answered
// from a script, and a temporary program folder.
namespace quenby::testing {

class FakeClipboard : public Clipboard {
public:
    QString GetText() override {
        ++gets;
        if (refuse)
            throw ClipboardError("refused");
        return text;
    }
    void Clear() override {
        if (refuse)
            throw ClipboardError("refused");
        calls << QStringLiteral("Clear");
        text.clear();
    }
    void SetText(const QString& t) override {
        if (refuse)
            throw ClipboardError("refused");
        calls << QStringLiteral("SetText");
        text = t;
    }

    QString text;
    bool refuse = false;
    int gets = 0;
    QStringList calls;
};

// Every message shown is recorded; each is answered with the next scripted
// answer. A message nobody scripted an answer for is a test failure.
class FakeDialogs : public Dialogs {
public:
    Answer show(const Message& message) override;

    std::deque<Answer> answers;
    std::vector<Message> shown;
};

class FakeFolder : public ProgramFolder {
public:
    QString path() const override { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace quenby::testing
