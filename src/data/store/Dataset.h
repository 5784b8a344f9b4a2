#pragma once

#include "Filter.h"
#include "Lookups.h"
#include "RowList.h"
#include "StoreError.h"
#include "TableDef.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QVariant>
#include <functional>

namespace store {

class Database;
class Session;

enum class DatasetState { Inactive, Browse, Edit, Insert };

// A view (cursor) over one table: its own current row, order, filter, state and pending row.
// It keeps only the ordered list of row ids that pass the filter, read when something first
// needs a position or a count, and reads rows on demand, so it stays quick on large tables; a
// view that nobody reads does not read its list again after a change, and a change of one row
// moves that row alone in a list that was read. Values are read and written in the program's form:
// text as QString, whole numbers as int, floats as double, dates as QDate; null reads as an
// empty text or zero.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class ErrorAction { Fail, Abort };
    using Handler = std::function<void(Dataset&)>;
    using ErrorHandler = std::function<ErrorAction(Dataset&, const StoreError&)>;
    using Validator = std::function<void(Dataset&, const QVariant& newValue)>;  // throws to refuse

    Dataset(Session* session, QString name, QString tableName, QObject* parent = nullptr);
    ~Dataset() override;

    const QString& name() const { return m_name; }
    const QString& tableName() const { return m_tableName; }
    Session* session() const { return m_session; }
    const TableDef& def() const;

    // Order and filter; changing either on an open view re-reads its list of rows.
    void setIndexName(const QString& index);
    const QString& indexName() const { return m_indexName; }
    void setFilter(const QString& text);
    const QString& filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    void addLookup(const LookupDef& lookup) { m_lookups.add(lookup); }
    const Lookups& lookups() const { return m_lookups; }
    QStringList fieldNames() const;  // table fields, then lookup fields
    int displayWidth(const QString& field) const;

    // Lifecycle and navigation.
    void open();
    void close();
    bool active() const { return m_state != DatasetState::Inactive; }
    DatasetState state() const { return m_state; }
    bool editing() const { return m_state == DatasetState::Edit || m_state == DatasetState::Insert; }
    void refresh();
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;  // true as well whenever the view has no rows
    bool bof() const;
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const;  // 0-based position of the current row, -1 when there is none
    void moveTo(int position);
    bool findKey(const QVariantList& keyValues);  // exact search on the view's index

    // Editing.
    void insert();
    void edit();  // on an empty view this starts a new row
    void post();
    void cancel();
    void remove();
    void flushBuffers();  // every post is committed already; kept so the rules read as written
    // Controls bound to the view write what they hold into the pending row: before a post,
    // and when a dialog asks before its own checks. An editor throws to refuse.
    void addEditor(QObject* owner, std::function<void()> writeBack);
    void removeEditors(QObject* owner);
    void updateRecord();
    bool modified() const { return m_modified; }

    // Fields of the current row, or of the pending row while editing.
    QVariant value(const QString& field) const;
    QString text(const QString& field) const;
    int asInteger(const QString& field) const;
    double asFloat(const QString& field) const;
    QDate asDate(const QString& field) const;
    bool isNull(const QString& field) const;
    // A refused value is told naming the field by `label` when given, else by the field's own label.
    void setValue(const QString& field, const QVariant& value, const QString& label = {});
    void setText(const QString& field, const QString& text, const QString& label = {});
    void setNull(const QString& field) { setValue(field, QVariant()); }

    // Rows by position, for grids; position must be below recordCount().
    QVariant valueAt(int position, const QString& field) const;
    QString textAt(int position, const QString& field) const;

    // Events the rules hang on.
    void setOnNewRecord(Handler h) { m_onNewRecord = std::move(h); }
    void setBeforePost(Handler h) { m_beforePost = std::move(h); }
    void setOnPostError(ErrorHandler h) { m_onPostError = std::move(h); }
    void setOnDeleteError(ErrorHandler h) { m_onDeleteError = std::move(h); }
    void setValidator(const QString& field, Validator v);

    // What an open view reads: the filter in force and its order as an " ORDER BY …" clause.
    const Filter& where() const { return m_where; }
    RowOrder order() const;
    QString orderClause() const;

signals:
    void stateChanged();
    void currentChanged();  // another row, or the current row's values changed
    void rowsChanged();     // the list of rows changed, all of it or one row (after the signals below)
    void rowsReset();       // the list is read again when next asked for: grids reset
    void fieldChanged(const QString& field);
    // One row changed: it left the list, came into it, or changed where it stands. A row that
    // moves leaves its former position and comes in at its new one.
    void rowRemoved(int position);
    void rowInserted(int position);
    void rowUpdated(int position);
    void valuesChanged();  // the same rows, but what their lookup fields show may have changed

private:
    using Row = RowList::Row;
    Database& db() const;
    void requireActive() const;
    void ensureList() const;
    void locateCurrent() const;
    bool currentWithoutList() const;
    void invalidate();
    void applyWhere(const Filter& where);
    const Row& readRow(qint64 rowid) const;
    const Row* currentRow() const;
    QVariant storedValue(const QString& field) const;
    void assignLookup(const LookupDef& lookup, const QVariant& value);
    void assignStored(int fieldIndex, const QVariant& stored);
    void setCurrent(qint64 rowid, int position);
    void checkBrowse();
    void onTableChanged(const QString& table);
    void onRowChanged(const QString& table, qint64 rowid);
    void standOn(qint64 rowid);
    void listReset();

    Session* m_session;
    QString m_name;
    QString m_tableName;
    QString m_indexName;
    QString m_filterText;
    bool m_filtered = false;
    Lookups m_lookups;

    DatasetState m_state = DatasetState::Inactive;
    Filter m_where;  // parsed at open and whenever the filter changes
    mutable RowList m_rows;
    mutable int m_position = -1;
    mutable qint64 m_currentRowid = -1;
    mutable qint64 m_confirmedRowid = -1;  // the current row, found still there while the list waits
    int m_knownCount = -1;                 // the count, found by last() while the list waits
    int m_placedPosition = -1;             // where the last row that changed alone was placed
    qint64 m_placedRowid = -1;
    bool m_eof = true;
    bool m_bof = true;
    Row m_buffer;
    bool m_modified = false;
    QMetaObject::Connection m_dbConnection;
    QMetaObject::Connection m_rowConnection;

    Handler m_onNewRecord;
    Handler m_beforePost;
    ErrorHandler m_onPostError;
    ErrorHandler m_onDeleteError;
    QHash<QString, Validator> m_validators;  // lower-case field name
    QList<std::pair<QObject*, std::function<void()>>> m_editors;
};

// A data source: what forms bind their controls and grids to.
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(QString name, Dataset* dataset, QObject* parent = nullptr) : QObject(parent), m_dataset(dataset)
    {
        setObjectName(name);
    }
    Dataset* dataset() const { return m_dataset; }

private:
    Dataset* m_dataset;
};

}  // namespace store
