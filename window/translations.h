#pragma once

#include <QLocale>

namespace quenby {

// Loads Qt's own translations (qtbase_*.qm, from Qt's translations folder)
// for the locale and installs them in the application, so that what Qt
// draws itself (the text boxes' context menus, the buttons of message
// boxes) speaks the user's language. The window's own captions and messages
// are not translated: they stay as they are in every language. Returns
// whether a translation was found; without one Qt speaks English.
bool installQtTranslations(const QLocale& locale);

} // namespace quenby
