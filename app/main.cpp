#include "window/platform.h"
#include "window/quitsignals.h"
#include "window/skivler.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quenby"));
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
