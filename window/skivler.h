#pragma once

#include <QWidget>

class Skivler : public QWidget {
    Q_OBJECT
public:
    explicit Skivler(QWidget* parent = nullptr);
};
