#pragma once

#include <QObject>

// The printed declaration of a period: two copies on the default printer.
class TQReporte : public QObject {
    Q_OBJECT
public:
    explicit TQReporte(QObject* parent = nullptr);
};

extern TQReporte* QReporte;
