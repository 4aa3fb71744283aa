#include "app/display.h"

#include "cli/usage.h"

#include <QByteArray>
#include <QString>
#include <unistd.h>
#include <vector>

namespace quenby::app {
namespace {

// A message held back, with copies of the strings its context points to.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

// The handler Qt called before the guard, and what the guard holds. A
// message handler is a plain function, so these live here, set only while
// a guard holds the messages.
QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;

QString describe(const char* variable) {
    const QByteArray value = qgetenv(variable);
    return QLatin1String(variable) +
           (value.isEmpty() ? QStringLiteral(" is not set")
                            : QStringLiteral(" is '") + cli::printable(value) + QLatin1Char('\''));
}

// The line said when no display can be reached, without its line break.
QString noDisplayMessage() {
    return QStringLiteral("quenby: cannot open the window: no display could be reached (") +
           describe("DISPLAY") + QStringLiteral(", ") + describe("WAYLAND_DISPLAY") +
           QLatin1Char(')');
}

// Shows the held messages through the handler before the guard, as Qt
// would have shown them at once.
void passOnHeldMessages() {
    std::vector<HeldMessage> held;
    held.swap(heldMessages);
    for (const HeldMessage& m : held) {
        const QMessageLogContext context(m.file.isNull() ? nullptr : m.file.constData(), m.line,
                                         m.function.isNull() ? nullptr : m.function.constData(),
                                         m.category.isNull() ? nullptr : m.category.constData());
        previousHandler(m.type, context, m.text);
    }
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        const QByteArray line = (noDisplayMessage() + QLatin1Char('\n')).toUtf8();
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, line.constData(), line.size());
        ::_exit(1);
    }
    if (type == QtFatalMsg) { // not the display's: as Qt would have it, with what led to it
        passOnHeldMessages();
        previousHandler(type, context, text);
        return;
    }
    heldMessages.push_back(
        {type, context.file, context.function, context.category, context.line, text});
}

} // namespace

DisplayGuard::DisplayGuard() {
    previousHandler = qInstallMessageHandler(holdMessage);
}

void DisplayGuard::release() {
    if (!m_holding)
        return;
    m_holding = false;
    qInstallMessageHandler(previousHandler);
    passOnHeldMessages();
}

} // namespace quenby::app
