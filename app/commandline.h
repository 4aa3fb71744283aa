#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The window program's command line. It has two options of its own, --help
// and --version, and passes Qt's options (-platform, -display, -style, ...)
// on to Qt, which takes them out of the arguments when the application is
// made. Anything else is refused before a display is needed, so that a
// mistyped option is not silently ignored.
namespace quenby::app {

struct WindowCommand {
    enum class Action { Open, Help, Version, Refuse };
    Action action = Action::Open;
    QString error; // with Refuse: the one-line reason, without the program's name
};

// The arguments after the program's name, as the bytes the shell passed.
WindowCommand readWindowArguments(const std::vector<QByteArray>& arguments);

// The text of --help, without its last line break; settingsFolder is where this copy keeps its
// files.
QString windowHelpText(const QString& settingsFolder);

} // namespace quenby::app
