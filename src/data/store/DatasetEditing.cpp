#include "Dataset.h"

#include "Database.h"
#include "Session.h"

// The edit buffer of a view: insert, edit, post, cancel and delete of its current row.
namespace store {

// ---------------------------------------------------------------- editing

void Dataset::checkBrowse()
{
    if (!editing())
        return;
    updateRecord();
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::insert()
{
    requireActive();
    checkBrowse();
    m_buffer = Row(def().fields.size());
    m_modified = false;
    m_state = DatasetState::Insert;
    emit stateChanged();
    if (m_onNewRecord)
        m_onNewRecord(*this);
    emit currentChanged();
}

void Dataset::edit()
{
    requireActive();
    if (editing())
        return;
    if (!currentWithoutList()) {
        ensureList();
        if (m_rows.ids().isEmpty()) {
            insert();
            return;
        }
    }
    m_buffer = *currentRow();
    m_modified = false;
    m_state = DatasetState::Edit;
    emit stateChanged();
}

void Dataset::post()
{
    requireActive();
    if (!editing())
        return;
    updateRecord();
    if (m_beforePost)
        m_beforePost(*this);
    Database& database = db();
    const TableDef& table = def();
    qint64 rowid = m_currentRowid;
    try {
        Transaction transaction(database);
        QStringList columns;
        QVariantList values;
        int autoIndex = -1;
        for (int i = 0; i < table.fields.size(); ++i) {
            if (table.fields[i].type == FieldType::AutoInc) {
                autoIndex = i;
                continue;
            }
            columns << quoteIdentifier(table.fields[i].name);
            values << m_buffer[i];
        }
        QString sql;
        if (m_state == DatasetState::Insert) {
            QStringList marks(columns.size(), QStringLiteral("?"));
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(database.qualifiedTable(m_tableName), columns.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        } else {
            sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                      .arg(database.qualifiedTable(m_tableName), columns.join(QStringLiteral(" = ?, ")));
            values << rowid;
        }
        Statement stmt(database, sql);
        for (int i = 0; i < values.size(); ++i)
            stmt.bind(i + 1, values[i]);
        stmt.step();
        if (m_state == DatasetState::Insert) {
            rowid = database.lastInsertRowid();
            if (autoIndex >= 0)
                m_buffer[autoIndex] = rowid;
        } else if (database.changes() == 0) {
            throw StoreError(
                RowGone,
                QStringLiteral("El registro que se estaba modificando ya no existe en la tabla %1.").arg(m_tableName));
        }
        database.noteRowChanged(m_tableName, rowid);
        transaction.commit();
    } catch (const StoreError& e) {
        if (m_onPostError && m_onPostError(*this, e) == ErrorAction::Abort)
            throw Abort();
        throw;
    }
    m_state = DatasetState::Browse;
    m_buffer.clear();
    m_modified = false;
    // The commit placed the row in every view's list; within a caller's transaction it is not
    // told yet, and this view reads its own list again.
    const bool told = database.transactionDepth() == 0;
    if (!told)
        invalidate();
    standOn(rowid);
    emit stateChanged();
    if (!told)
        listReset();
    emit currentChanged();
}

void Dataset::cancel()
{
    if (!editing())
        return;
    m_state = DatasetState::Browse;
    m_buffer.clear();
    m_modified = false;
    emit stateChanged();
    emit currentChanged();
}

void Dataset::remove()
{
    requireActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    cancel();
    ensureList();
    if (m_currentRowid < 0)
        throw StoreError(NotOpen, QStringLiteral("No se puede realizar esta operación en una vista vacía."));
    Database& database = db();
    try {
        Transaction transaction(database);
        Statement stmt(database,
                       QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(database.qualifiedTable(m_tableName)));
        stmt.bind(1, m_currentRowid);
        stmt.step();
        database.noteRowChanged(m_tableName, m_currentRowid);
        transaction.commit();
    } catch (const StoreError& e) {
        if (m_onDeleteError && m_onDeleteError(*this, e) == ErrorAction::Abort)
            throw Abort();
        throw;
    }
    if (database.transactionDepth() > 0) {
        // Not told yet within a caller's transaction: this view reads its own list again.
        m_currentRowid = -1;  // the row that takes its position becomes current
        invalidate();
        listReset();
    }
    emit currentChanged();
}

void Dataset::addEditor(QObject* owner, std::function<void()> writeBack)
{
    m_editors.append({owner, std::move(writeBack)});
    connect(owner, &QObject::destroyed, this, [this, owner] { removeEditors(owner); });
}

void Dataset::removeEditors(QObject* owner)
{
    m_editors.removeIf([owner](const auto& editor) { return editor.first == owner; });
}

void Dataset::updateRecord()
{
    if (!editing())
        return;
    const auto editors = m_editors;  // an editor may unbind itself
    for (const auto& editor : editors)
        editor.second();
}

void Dataset::flushBuffers()
{
    // SQLite has every committed post on disk already.
}

}  // namespace store
