#include "UReporte.h"

TQReporte* QReporte = nullptr;

TQReporte::TQReporte(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("QReporte"));
}
