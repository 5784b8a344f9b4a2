#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace store {

enum class FieldType { Text, Int16, Int32, Float, Date, AutoInc };

// What a text field holds beyond its width and code page.
enum class TextForm { Free, Date };  // Date: a calendar date written dd/mm/yyyy

// A field and the rules every value of it keeps, however it arrives (typed, computed, imported,
// restored); the rules themselves are in FieldRules.
struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters, text fields only
    // Number fields: what a value may hold (0 decimals: whole numbers only, a float field too).
    int decimals = -1;
    bool negative = true;
    // What the clerk calls the field, for messages; the name serves when there is none.
    QString label = {};
    bool positive = false;  // number fields: above zero, so 0 is refused as well
    TextForm form = TextForm::Free;

    const QString& shownName() const { return label.isEmpty() ? name : label; }
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool unique = false;
};

// The data dictionary of one table file.
struct TableDef {
    QString fileName;   // as on disk: "cliente.DB"
    QString tableName;  // the table inside it: "cliente"
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    const FieldDef* field(const QString& name) const;
    const IndexDef* index(const QString& name) const;
    int fieldIndex(const QString& name) const;  // -1 when unknown; names compare without case
    // Statements that make the table in the given schema; with no schema, as a file's own
    // schema keeps them.
    QString createSql(const QString& schema) const;
    QStringList indexSql(const QString& schema) const;
};

QString sqlType(FieldType type);
QString quoteIdentifier(const QString& name);

}  // namespace store
