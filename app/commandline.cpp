#include "app/commandline.h"

#include "cli/usage.h"
#include "settings/programfolder.h"

#include <cstring>
#include <iterator>

namespace quenby::app {
namespace {

// An option Qt takes out of the command line itself. Qt reads each one with
// one dash or two ("-platform" or "--platform"), and its value as the next
// argument, or for the few written NAME=VALUE, after the "=" only.
struct QtOption {
    enum Form { Flag, NextValue, JoinedValue };
    const char* name;
    Form form;
};

constexpr QtOption kQtOptions[] = {
    // The platform and its plugins.
    {"platform", QtOption::NextValue},
    {"platformpluginpath", QtOption::NextValue},
    {"platformtheme", QtOption::NextValue},
    {"plugin", QtOption::NextValue},
    // The first window: place, title, icon.
    {"qwindowgeometry", QtOption::NextValue},
    {"geometry", QtOption::NextValue},
    {"qwindowtitle", QtOption::NextValue},
    {"title", QtOption::NextValue},
    {"qwindowicon", QtOption::NextValue},
    {"icon", QtOption::NextValue},
    // X11.
    {"display", QtOption::NextValue},
    {"name", QtOption::NextValue},
    {"sync", QtOption::Flag},
    {"nograb", QtOption::Flag},
    {"dograb", QtOption::Flag},
    // The session, the widgets and debugging.
    {"session", QtOption::NextValue},
    {"style", QtOption::NextValue},
    {"style=", QtOption::JoinedValue},
    {"stylesheet", QtOption::NextValue},
    {"stylesheet=", QtOption::JoinedValue},
    {"reverse", QtOption::Flag},
    {"widgetcount", QtOption::Flag},
    {"testability", QtOption::Flag},
    {"qmljsdebugger=", QtOption::JoinedValue},
};

// The Qt option an argument is, if any; arg holds its name after the dashes.
const QtOption* qtOption(const QByteArray& name) {
    for (const QtOption& option : kQtOptions) {
        if (option.form == QtOption::JoinedValue ? name.startsWith(option.name)
                                                 : name == option.name)
            return &option;
    }
    return nullptr;
}

WindowCommand refuse(const QString& error) {
    return {WindowCommand::Action::Refuse, error};
}

QString quoted(const QByteArray& argument) {
    return QLatin1Char('\'') + cli::printable(argument) + QLatin1Char('\'');
}

} // namespace

WindowCommand readWindowArguments(const std::vector<QByteArray>& arguments) {
    bool optionsEnded = false;
    for (size_t k = 0; k < arguments.size(); ++k) {
        const QByteArray& arg = arguments[k];
        if (optionsEnded || arg == "-" || !arg.startsWith('-'))
            return refuse(QStringLiteral("extra operand ") + quoted(arg) +
                          QStringLiteral(" (the window opens no file)"));
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h")
            return {WindowCommand::Action::Help, {}};
        if (arg == "--version" || arg == "-V")
            return {WindowCommand::Action::Version, {}};
        const QByteArray name = arg.mid(arg.startsWith("--") ? 2 : 1);
        const QtOption* option = qtOption(name);
        if (!option)
            return refuse(QStringLiteral("unrecognized option ") + quoted(arg));
        if (option->form == QtOption::NextValue && ++k == arguments.size())
            return refuse(QStringLiteral("option ") + quoted(arg) +
                          QStringLiteral(" requires an argument"));
    }
    return {};
}

QString windowHelpText(const QString& settingsFolder) {
    const QString settings = joinPath(settingsFolder, QString::fromLatin1(kSettingsFileName));
    const QString texts = joinPath(settingsFolder, QString::fromLatin1(kSavedTextsFileName));
    return QStringLiteral(R"(Usage: quenby [OPTION]... [QT-OPTION]...
Open the Quenby window. Type, paste or drop a text into the input box, and
the output box shows it at once with the chosen vowels, spaces, numbers,
punctuation and characters, and one chosen string, taken out.

Options:
  -h, --help     display this help and exit
  -V, --version  output version information and exit

Qt's options are taken as well, among them:
  -platform NAME[:OPTIONS]   the window system's plugin: xcb (X11), wayland,
                             offscreen (also QT_QPA_PLATFORM)
  -platformtheme NAME        the desktop theme's plugin, such as gtk3 or qt6ct,
                             whose colours the text boxes and buttons take
                             (also QT_QPA_PLATFORMTHEME)
  -display DISPLAY           the X display (also DISPLAY)
  -qwindowgeometry +X+Y      where the window opens; its size is fixed
and -platformpluginpath, -plugin, -qwindowtitle, -qwindowicon, -geometry,
-title, -icon, -name, -session, -style, -stylesheet, -reverse, -widgetcount,
-sync, -nograb, -dograb, -testability and -qmljsdebugger=, with one dash or two.

While "Remember settings" is ticked, every option, slot and string is kept in
  %1
and the input text in
  %2
each written the moment it changes.

To strip files and pipes with the same rules, use quenby-strip(1).

Exit status:
  0  the window was closed, or help or the version was shown
  1  no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY
     names one that can be reached)
  2  a bad command line)")
        .arg(settings, texts);
}

} // namespace quenby::app
