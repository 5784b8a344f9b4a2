#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// Table files and the files the program writes hold single-byte Windows-1252 text.
bool fitsWindows1252(const QString& text);
QByteArray toWindows1252(const QString& text);    // characters outside it become '?'
QString fromWindows1252(const QByteArray& bytes);

}  // namespace store
