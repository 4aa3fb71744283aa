#include "window/skivler.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Skivler window;
    window.show();
    return app.exec();
}
