#include "window/platform.h"
#include "window/skivler.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quenby"));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUENBY_APP_ID));
    Skivler::prepareApplication();

    quenby::QtClipboard clipboard;
    quenby::QtDialogs dialogs;
    quenby::QtProgramFolder folder;
    Skivler window({clipboard, dialogs, folder});
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
