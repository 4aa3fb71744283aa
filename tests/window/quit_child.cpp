// A window that remembers, for the saving tests to end from outside: it
// ticks "Remember settings", is given a big input text whose write is still
// waiting, says "ready" on standard output and runs until a signal ends it.
//
//   quit_child <program folder> <lines>
#include "quit_child.h"

#include "window/quitsignals.h"
#include "window/skivler.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

class NoClipboard : public quenby::Clipboard {
public:
    QString GetText() override { return {}; }
    void Clear() override {}
    void SetText(const QString&) override {}
};

// A message would wait for an answer nobody gives: it goes to standard error.
class PrintedDialogs : public quenby::Dialogs {
public:
    quenby::Answer show(const quenby::Message& message) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
        return quenby::Answer::Ok;
    }
};

class Folder : public quenby::ProgramFolder {
public:
    explicit Folder(QString path) : m_path(std::move(path)) {}
    QString path() const override { return m_path; }

private:
    QString m_path;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    Skivler::prepareApplication();
    quenby::quitOnTerminationSignals();
    NoClipboard clipboard;
    PrintedDialogs dialogs;
    Folder folder(QString::fromLocal8Bit(argv[1]));
    Skivler window({clipboard, dialogs, folder});
    window.yesRemember->setValue(1);
    window.Text1->setText(quitChildText(std::atoi(argv[2])));
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
