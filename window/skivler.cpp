#include "window/skivler.h"

Skivler::Skivler(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Quenby 5.0"));
    setFixedSize(690, 531);
}
