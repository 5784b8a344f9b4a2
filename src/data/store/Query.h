#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace store {

class Dataset;
class Session;

// A named SQL query kept word for word. Before it reaches SQLite, table names lose their
// ".db" suffix and "<>" becomes "IS NOT" (so a null field differs from any value).
// Parameters (":name") are set by position, as text; a parameter never set takes the field of
// the same name of the data source's current row.
class Query : public QObject {
    Q_OBJECT
public:
    Query(Session* session, QString name, QStringList lines, QObject* parent = nullptr);

    const QString& name() const { return m_name; }
    QString sqlText() const { return m_lines.join(QLatin1Char('\n')); }
    static QString dialectToSqlite(const QString& text);

    int paramCount() const { return m_paramNames.size(); }
    QString paramName(int position) const { return m_paramNames.value(position); }
    void setParam(int position, const QString& value);
    void clearParams();
    void setDataSource(Dataset* source) { m_source = source; }

    void execSql();  // statements
    // Selections. The statement and its parameters are fixed at open; its rows are read when
    // they are first asked for, so a query opened with the views and never read costs nothing.
    void open();
    void close();
    bool active() const { return m_active; }

    int recordCount() const { return int(rows().size()); }
    bool eof() const { return m_position >= rows().size(); }
    void first() { m_position = 0; }
    void next()
    {
        if (m_position < rows().size())
            ++m_position;
    }
    QStringList columns() const { return m_columns; }
    QVariant value(const QString& column) const;
    QVariant valueAt(int row, const QString& column) const;
    QString text(const QString& column) const;
    int asInteger(const QString& column) const;
    double asFloat(const QString& column) const;

private:
    QVariantList boundValues() const;
    const QList<QVariantList>& rows() const;
    QString m_name;
    QStringList m_lines;
    QStringList m_paramNames;
    QList<std::optional<QString>> m_params;
    QPointer<Dataset> m_source;
    Session* m_session;
    bool m_active = false;
    QStringList m_columns;
    QString m_openSql;
    QVariantList m_openValues;
    mutable bool m_read = false;
    mutable QList<QVariantList> m_rows;
    int m_position = 0;
};

}  // namespace store
