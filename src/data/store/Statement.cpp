#include "Database.h"

#include <sqlite3.h>

// A prepared statement of the tables' connection: taken from the connection's cache of prepared
// statements and given back to it, values bound and read in the program's forms.
namespace store {

Statement::Statement(Database& db, const QString& sql) : m_db(db), m_sql(sql), m_stmt(db.takePrepared(sql)) {}

Statement::~Statement() { m_db.keepPrepared(m_sql, m_stmt); }

void Statement::bind(int position, const QVariant& value)
{
    int rc;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(m_stmt, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, position, value.toDouble());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        m_db.raise(rc);
}

void Statement::bindUtf8(int position, const QByteArray& utf8)
{
    const int rc = sqlite3_bind_text(m_stmt, position, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        m_db.raise(rc);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_db.raise(rc);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

QString Statement::columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(m_stmt, column)); }

QVariant Statement::column(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                                          sqlite3_column_bytes(m_stmt, column)));
    }
}

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(m_stmt); }

Statement::Storage Statement::storage(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return Storage::Integer;
    case SQLITE_FLOAT:
        return Storage::Real;
    case SQLITE_NULL:
        return Storage::Null;
    case SQLITE_BLOB:
        return Storage::Blob;
    default:
        return Storage::Text;
    }
}

QByteArrayView Statement::utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(text, sqlite3_column_bytes(m_stmt, column));
}

double Statement::real(int column) const { return sqlite3_column_double(m_stmt, column); }

qint64 Statement::integer(int column) const { return sqlite3_column_int64(m_stmt, column); }

QString Statement::parameterName(int position) const
{
    return QString::fromUtf8(sqlite3_bind_parameter_name(m_stmt, position));
}

}  // namespace store
