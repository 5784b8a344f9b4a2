#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

namespace store {

class Database;
class Dataset;

// A read-only field computed from another view: the row of the lookup view whose key equals
// this row's key field, and its result field. Assigning it sets the key field.
struct LookupDef {
    QString name;
    int width = 0;
    QString keyField;
    Dataset* lookupDataset = nullptr;
    QString lookupKeyField;
    QString resultField;
};

// The lookup fields of a view, resolved by key through their lookup view's table; the answers
// are kept until that table changes.
class Lookups {
public:
    void add(const LookupDef& lookup) { m_defs << lookup; }
    const QList<LookupDef>& defs() const { return m_defs; }
    const LookupDef* find(const QString& field) const;  // nullptr when the view has none of that name
    bool readsTable(const QString& table) const;
    // Whether a change to that row of a lookup table can change an answer kept: one was read
    // from it, or a key found no row then and may find this one now.
    bool mayChangeWith(qint64 rowid) const { return m_misses > 0 || m_sources.contains(rowid); }
    void forget() const;

    // The result for a key, cut to the field's width; null when no row has the key.
    QVariant value(Database& db, const LookupDef& lookup, const QVariant& key) const;
    // The key of the first row whose result is that text; null when none.
    QVariant keyFor(Database& db, const LookupDef& lookup, const QString& result) const;
    // The same value as an SQL expression over the row of the table named outer: a view read in
    // one statement gives what value() gives row by row.
    QString expression(const Database& db, const LookupDef& lookup, const QString& outer) const;

private:
    static const int CacheLimit = 4096;
    QList<LookupDef> m_defs;
    mutable QHash<QString, QHash<QString, QVariant>> m_answers;  // lower-case name -> key -> result
    mutable QSet<qint64> m_sources;                              // the rows the answers were read from
    mutable int m_misses = 0;                                    // answers of keys no row had
};

}  // namespace store
