#include "Query.h"

#include "data/text/FixedFormats.h"

#include "Database.h"
#include "Dataset.h"
#include "Session.h"
#include "StoreError.h"

#include <QRegularExpression>

namespace store {

namespace {

// Applies fn to the parts of an SQL text outside quoted literals.
QString outsideLiterals(const QString& text, const std::function<QString(const QString&)>& fn)
{
    QString result;
    QString chunk;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\'')) {
            if (!quoted) {
                result += fn(chunk);
                chunk.clear();
            }
            quoted = !quoted;
            result += c;
            continue;
        }
        if (quoted)
            result += c;
        else
            chunk += c;
    }
    return result + fn(chunk);
}

QStringList parameterNames(const QString& sql)
{
    QStringList names;
    static const QRegularExpression param(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    outsideLiterals(sql, [&](const QString& part) {
        for (auto it = param.globalMatch(part); it.hasNext();) {
            const QString name = it.next().captured(1);
            bool seen = false;
            for (const QString& n : names)
                seen = seen || n.compare(name, Qt::CaseInsensitive) == 0;
            if (!seen)
                names << name;
        }
        return part;
    });
    return names;
}

// SQLite tells ":anio" from ":ANIO"; the program's parameter names compare without case, so each
// of the statement's parameters takes the value of the name it matches.
void bindByName(Statement& stmt, const QStringList& names, const QVariantList& values)
{
    for (int position = 1; position <= stmt.parameterCount(); ++position) {
        const QString name = stmt.parameterName(position).mid(1);
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                stmt.bind(position, values.value(i));
    }
}

}  // namespace

QString Query::dialectToSqlite(const QString& text)
{
    static const QRegularExpression suffix(QStringLiteral("\\b([A-Za-z_][A-Za-z0-9_]*)\\.db\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    return outsideLiterals(text, [](const QString& part) {
        QString p = part;
        p.replace(suffix, QStringLiteral("\\1"));
        p.replace(QStringLiteral("<>"), QStringLiteral(" IS NOT "));
        return p;
    });
}

Query::Query(Session* session, QString name, QStringList lines, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_lines(std::move(lines)), m_session(session)
{
    setObjectName(m_name);
    m_paramNames = parameterNames(dialectToSqlite(sqlText()));
    m_params.resize(m_paramNames.size());
    connect(m_session, &Session::deactivating, this, &Query::close);
}

void Query::setParam(int position, const QString& value)
{
    if (position < 0 || position >= m_params.size())
        throw StoreError(FieldNotFound,
                         QStringLiteral("La consulta %1 no tiene el parámetro %2.").arg(m_name).arg(position + 1));
    m_params[position] = value;
}

void Query::clearParams()
{
    for (auto& p : m_params)
        p.reset();
}

QVariantList Query::boundValues() const
{
    QVariantList values;
    for (int i = 0; i < m_params.size(); ++i) {
        if (m_params[i]) {
            values << (m_params[i]->isEmpty() ? QVariant() : QVariant(*m_params[i]));
        } else if (m_source && m_source->active()) {
            values << (m_source->isNull(m_paramNames[i]) ? QVariant() : QVariant(m_source->text(m_paramNames[i])));
        } else {
            values << QVariant();
        }
    }
    return values;
}

void Query::execSql()
{
    Database& database = m_session->database();
    const QString sql = dialectToSqlite(sqlText());
    static const QRegularExpression target(
        QStringLiteral("^\\s*(?:update|delete\\s+from|insert\\s+into)\\s+([A-Za-z_][A-Za-z0-9_]*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString table = target.match(sql).captured(1);
    Transaction transaction(database);
    Statement stmt(database, sql);
    bindByName(stmt, m_paramNames, boundValues());
    while (stmt.step()) {
    }
    if (!table.isEmpty())
        database.noteChanged(table);
    transaction.commit();
}

void Query::open()
{
    if (m_active)
        return;
    Database& database = m_session->database();
    const QString sql = dialectToSqlite(sqlText());
    const QVariantList values = boundValues();
    Statement stmt(database, sql);  // a statement SQLite refuses fails here
    bindByName(stmt, m_paramNames, values);
    m_columns.clear();
    for (int c = 0; c < stmt.columnCount(); ++c)
        m_columns << stmt.columnName(c);
    m_openSql = sql;
    m_openValues = values;
    m_rows.clear();
    m_read = false;
    m_position = 0;
    m_active = true;
}

const QList<QVariantList>& Query::rows() const
{
    if (!m_active || m_read)
        return m_rows;
    Statement stmt(m_session->database(), m_openSql);
    bindByName(stmt, m_paramNames, m_openValues);
    QList<QVariantList> rows;
    while (stmt.step()) {
        QVariantList row;
        for (int c = 0; c < stmt.columnCount(); ++c)
            row << stmt.column(c);
        rows << row;
    }
    m_rows = std::move(rows);
    m_read = true;
    return m_rows;
}

void Query::close()
{
    m_active = false;
    m_read = false;
    m_rows.clear();
    m_position = 0;
}

QVariant Query::valueAt(int row, const QString& column) const
{
    if (!m_active)
        throw notOpenError();
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].compare(column, Qt::CaseInsensitive) == 0)
            return row >= 0 && row < rows().size() ? rows()[row].value(c) : QVariant();
    throw StoreError(FieldNotFound, QStringLiteral("La consulta %1 no tiene el campo %2.").arg(m_name, column));
}

QVariant Query::value(const QString& column) const { return valueAt(m_position, column); }

QString Query::text(const QString& column) const
{
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::Double)
        return formats::number(v.toDouble());
    return v.toString();
}

int Query::asInteger(const QString& column) const
{
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        if (!ok)
            throw StoreError(ConversionError, QStringLiteral("'%1' no es un valor entero válido.").arg(v.toString()));
        return n;
    }
    return int(qRound64(v.toDouble()));
}

double Query::asFloat(const QString& column) const { return value(column).toDouble(); }

}  // namespace store
