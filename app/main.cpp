#include "app/commandline.h"
#include "app/display.h"
#include "cli/usage.h"
#include "settings/programfolder.h"
#include "window/platform.h"
#include "window/quitsignals.h"
#include "window/skivler.h"
#include "window/translations.h"

#include <QApplication>
#include <cstdio>

#ifndef QUENBY_VERSION
#define QUENBY_VERSION "?"
#endif

namespace {

// Writes text and a line break; returns status, or 1 when the help or the
// version could not be written (a full disk, a closed pipe).
int say(std::FILE* stream, const QString& text, int status) {
    const bool written = std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream) >= 0 &&
                         std::fflush(stream) == 0;
    return written || status != 0 ? status : 1;
}

} // namespace

int main(int argc, char** argv) {
    using quenby::app::WindowCommand;
    // What the command line asks for is settled before Qt looks for a display.
    const WindowCommand command = quenby::app::readWindowArguments({argv + 1, argv + argc});
    switch (command.action) {
    case WindowCommand::Action::Refuse:
        return say(stderr, quenby::cli::usageErrorText("quenby", command.error), 2);
    case WindowCommand::Action::Version:
        return say(stdout, QStringLiteral("quenby " QUENBY_VERSION), 0);
    case WindowCommand::Action::Help: {
        QCoreApplication core(argc, argv); // the program's own folder, without a display
        QCoreApplication::setApplicationName(QStringLiteral("quenby"));
        const QString folder = quenby::programFolder(QCoreApplication::applicationDirPath());
        return say(stdout, quenby::app::windowHelpText(folder), 0);
    }
    case WindowCommand::Action::Open:
        break;
    }

    quenby::app::DisplayGuard guard;
    QApplication app(argc, argv);
    guard.release();
    QApplication::setApplicationName(QStringLiteral("quenby"));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUENBY_APP_ID));
    quenby::installQtTranslations(QLocale());
    Skivler::prepareApplication();
    quenby::quitOnTerminationSignals();

    quenby::QtClipboard clipboard;
    quenby::QtDialogs dialogs;
    quenby::QtProgramFolder folder;
    Skivler window({clipboard, dialogs, folder});
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
