#pragma once

#include "data/store/Dataset.h"
#include "data/store/Session.h"

#include <QFile>
#include <QTemporaryDir>
#include <initializer_list>
#include <utility>

// Two small tables of our own, so that each case shows one behaviour of the store without the
// program's rules around it: "registro" rows and the "nota" rows that refer to them.
namespace smallstore {

inline store::TableDef registroDef()
{
    using store::FieldType;
    return {QStringLiteral("registro.DB"),
            QStringLiteral("registro"),
            {{"Id", FieldType::AutoInc, 0},
             {"Clave", FieldType::Text, 5},
             {"Nombre", FieldType::Text, 10},
             {"Anio", FieldType::Text, 4},
             {"Anticipo", FieldType::Text, 2},
             {"Cant", FieldType::Int16, 0},
             {"Precio", FieldType::Float, 0},
             {"Fecha", FieldType::Date, 0}},
            {{"indx_registro_clave", {"Clave"}, true}, {"indx_registro_nombre", {"Nombre"}, false}}};
}

inline store::TableDef notaDef()
{
    using store::FieldType;
    return {QStringLiteral("Nota.db"),
            QStringLiteral("nota"),
            {{"Id", FieldType::AutoInc, 0}, {"Registro", FieldType::Int32, 0}, {"Texto", FieldType::Text, 20}},
            {}};
}

inline QList<store::TableDef> tables() { return {registroDef(), notaDef()}; }

inline QList<store::ReferenceDef> references()
{
    return {{QStringLiteral("registro"), QStringLiteral("Id"), QStringLiteral("nota"), QStringLiteral("Registro")}};
}

// A session over a fresh temporary folder; the table files are created on first use.
class Folder {
public:
    Folder() : session(QStringLiteral("Prueba"), tables(), references()) { session.setFolderOverride(dir.path()); }
    QString file(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    store::Session session;
};

using Values = std::initializer_list<std::pair<const char*, QVariant>>;

inline void addRow(store::Dataset& ds, Values values)
{
    ds.insert();
    for (const auto& [field, value] : values)
        ds.setValue(QString::fromLatin1(field), value);
    ds.post();
}

inline QStringList column(const store::Dataset& ds, const QString& field)
{
    QStringList values;
    for (int i = 0; i < ds.recordCount(); ++i)
        values << ds.textAt(i, field);
    return values;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace smallstore
