#include "DBLookupComboBox.h"

#include "FieldLink.h"
#include "StandardError.h"
#include "data/Prompt.h"
#include "data/store/Database.h"
#include "data/store/Session.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace {

bool sameKey(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.toString() == b.toString();
}

int compareIgnoringCase(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive); }

}  // namespace

// ---------------------------------------------------------------- LookupListModel

LookupListModel::LookupListModel(QObject* parent) : QAbstractListModel(parent) {}

LookupListModel* LookupListModel::shared(store::Dataset* table, const QString& keyField, const QString& listField)
{
    const QString name = QStringLiteral("list:%1:%2").arg(keyField, listField).toLower();
    auto* model = table->findChild<LookupListModel*>(name, Qt::FindDirectChildrenOnly);
    if (!model) {
        model = new LookupListModel(table);
        model->setObjectName(name);
        model->setSource(table, keyField, listField);
    }
    return model;
}

void LookupListModel::setSource(store::Dataset* table, const QString& keyField, const QString& listField)
{
    beginResetModel();
    disconnect(m_tableConnection);
    if (m_table)
        disconnect(m_table->session(), nullptr, this, nullptr);
    m_table = table;
    m_keyField = keyField;
    m_listField = listField;
    m_loaded = false;
    m_values.clear();
    m_keys.clear();
    // The repair replaces the table files while the session is down: read them afresh after it.
    if (table)
        connect(table->session(), &store::Session::deactivating, this, &LookupListModel::invalidate);
    endResetModel();
}

void LookupListModel::ensureLoaded()
{
    if (m_loaded || !m_table)
        return;
    store::Database& db = m_table->session()->database();
    const QString table = m_table->tableName();
    const QString key = store::quoteIdentifier(m_keyField);
    const QString value = store::quoteIdentifier(m_listField);
    store::Statement stmt(db, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %2 IS NOT NULL AND %2 <> '' ORDER BY rowid")
                                  .arg(key, value, db.qualifiedTable(table)));
    QStringList values;
    QVariantList keys;
    while (stmt.step()) {
        keys << stmt.column(0);
        values << stmt.column(1).toString();
    }
    // Sorted ignoring case; equal values keep the table's order, so the first is the one an
    // assignment by value finds. Folding each value once makes the comparisons plain ones,
    // in the same order as QString::compare ignoring case.
    QStringList folded;
    folded.reserve(values.size());
    for (const QString& v : std::as_const(values))
        folded << v.toCaseFolded();
    std::vector<int> order(size_t(values.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&folded](int a, int b) { return folded[a] < folded[b]; });
    folded.clear();

    beginResetModel();
    m_values.clear();
    m_keys.clear();
    m_values.reserve(values.size());
    m_keys.reserve(keys.size());
    for (int i : order) {
        m_values << std::move(values[i]);
        m_keys << std::move(keys[i]);
    }
    m_loaded = true;
    disconnect(m_tableConnection);
    disconnect(m_rowConnection);
    const auto changed = [this](const QString& changedTable) {
        if (m_table && changedTable.compare(m_table->tableName(), Qt::CaseInsensitive) == 0)
            invalidate();
    };
    m_tableConnection = connect(&db, &store::Database::tableChanged, this, changed);
    m_rowConnection = connect(&db, &store::Database::rowChanged, this, changed);
    endResetModel();
}

void LookupListModel::invalidate()
{
    disconnect(m_tableConnection);
    disconnect(m_rowConnection);
    if (!m_loaded)
        return;
    beginResetModel();
    m_values.clear();
    m_keys.clear();
    m_loaded = false;
    endResetModel();
}

int LookupListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_values.size()); }

QVariant LookupListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_values.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_values.at(index.row());
}

Qt::ItemFlags LookupListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int LookupListModel::lowerBound(const QString& text) const
{
    const auto it = std::partition_point(m_values.cbegin(), m_values.cend(),
                                         [&text](const QString& v) { return compareIgnoringCase(v, text) < 0; });
    return int(it - m_values.cbegin());
}

int LookupListModel::endOfPrefix(int from, const QString& prefix) const
{
    const auto it = std::partition_point(m_values.cbegin() + from, m_values.cend(), [&prefix](const QString& v) {
        return v.startsWith(prefix, Qt::CaseInsensitive);
    });
    return int(it - m_values.cbegin());
}

int LookupListModel::findPrefix(const QString& prefix) const
{
    const int row = lowerBound(prefix);
    return row < m_values.size() && m_values[row].startsWith(prefix, Qt::CaseInsensitive) ? row : -1;
}

int LookupListModel::findValue(const QString& text) const
{
    const int row = lowerBound(text);
    return row < m_values.size() && compareIgnoringCase(m_values[row], text) == 0 ? row : -1;
}

int LookupListModel::findKey(const QVariant& key, const QString& text) const
{
    for (int row = lowerBound(text); row < m_values.size() && compareIgnoringCase(m_values[row], text) == 0; ++row)
        if (sameKey(m_keys[row], key))
            return row;
    return -1;
}

// Searches by text use the sorted list: the rows that begin with (or equal) a text, ignoring
// case, lie together. A drop-down's type-ahead and findText() come through here.
QModelIndexList LookupListModel::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                       Qt::MatchFlags flags) const
{
    const int type = int(flags & Qt::MatchTypeMask);
    const bool sorted = type == Qt::MatchStartsWith || type == Qt::MatchFixedString || type == Qt::MatchExactly;
    if (!sorted || (role != Qt::DisplayRole && role != Qt::EditRole) || (flags & Qt::MatchRecursive) ||
        value.typeId() != QMetaType::QString || (start.isValid() && start.model() != this))
        return QAbstractListModel::match(start, role, value, hits, flags);

    const QString text = value.toString();
    const bool caseSensitive = flags & Qt::MatchCaseSensitive;
    const int first = lowerBound(text);
    int end = first;
    if (type == Qt::MatchStartsWith) {
        end = endOfPrefix(first, text);
    } else {
        while (end < m_values.size() && compareIgnoringCase(m_values[end], text) == 0)
            ++end;
    }
    auto accepted = [&](int row) {
        const QString& v = m_values[row];
        if (type == Qt::MatchExactly)
            return v == text;
        if (!caseSensitive)
            return true;
        return type == Qt::MatchStartsWith ? v.startsWith(text) : v == text;
    };

    QModelIndexList found;
    auto collect = [&](int from, int to) {
        for (int row = from; row < to && (hits < 0 || found.size() < hits); ++row)
            if (accepted(row))
                found << index(row);
    };
    const int from = start.isValid() ? start.row() : 0;
    collect(std::max(first, from), end);
    if (flags & Qt::MatchWrap)
        collect(first, std::min(end, from));
    return found;
}

// ---------------------------------------------------------------- DBLookupComboBox

DBLookupComboBox::DBLookupComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);  // the completion below works on the sorted list
    useModel(new LookupListModel(this));
    // Sizing to the contents would measure every item of the list.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    setMaxVisibleItems(12);
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    // The row holds the client's key: what is typed is found in the list and sets the key.
    m_link = new FieldLink(
        this, [this] { return lineEdit()->text(); }, [this](const QString& text) { show(text); },
        [this](const QString& typed) { write(typed); });

    connect(lineEdit(), &QLineEdit::textEdited, this, &DBLookupComboBox::userEdited);
    connect(this, &QComboBox::activated, this, [this](int row) { runHandler([this, row] { picked(row); }); });
    lineEdit()->installEventFilter(this);
    installEventFilter(this);
}

DBLookupComboBox::~DBLookupComboBox()
{
    if (store::Dataset* rows = m_link->dataset())
        rows->removeEditors(m_link);
}

store::Dataset* DBLookupComboBox::dataset() const { return m_link->dataset(); }

const QString& DBLookupComboBox::dataField() const { return m_link->field(); }

bool DBLookupComboBox::modified() const { return m_link->modified(); }

void DBLookupComboBox::useModel(LookupListModel* model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    setModel(model);  // drops the box's own empty list
    // The combo box empties its edit box when its list is read or dropped; what the box showed
    // (or the user had typed) is put back, with the cursor and selection the next key acts on.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_saved = {lineEdit()->text(), lineEdit()->cursorPosition(), lineEdit()->selectionStart(),
                   int(lineEdit()->selectedText().size())};
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (modified()) {
            m_showing = true;
            setCurrentIndex(-1);
            lineEdit()->setText(m_saved.text);
            m_showing = false;
        } else {
            m_link->refresh();
        }
        if (lineEdit()->text() != m_saved.text)
            return;
        if (m_saved.selectionLength > 0 && m_saved.cursor == m_saved.selectionStart)
            lineEdit()->setSelection(m_saved.selectionStart + m_saved.selectionLength, -m_saved.selectionLength);
        else if (m_saved.selectionLength > 0)
            lineEdit()->setSelection(m_saved.selectionStart, m_saved.selectionLength);
        else
            lineEdit()->setCursorPosition(m_saved.cursor);
    });
}

void DBLookupComboBox::setDataField(store::Dataset* dataset, const QString& lookupField)
{
    const store::LookupDef* lookup = dataset ? dataset->lookups().find(lookupField) : nullptr;
    if (dataset && !lookup)
        throw store::StoreError(
            store::FieldNotFound,
            QStringLiteral("La vista %1 no tiene el campo de búsqueda %2.").arg(dataset->name(), lookupField));
    m_keyField = lookup ? lookup->keyField : QString();
    if (lookup && lookup->lookupDataset)
        useModel(LookupListModel::shared(lookup->lookupDataset, lookup->lookupKeyField, lookup->resultField));
    else if (m_model->parent() != this)
        useModel(new LookupListModel(this));
    lineEdit()->setMaxLength(lookup && lookup->width > 0 ? lookup->width : 32767);
    m_link->setField(dataset, lookupField, m_keyField);
}

QVariant DBLookupComboBox::currentKey() const
{
    store::Dataset* rows = dataset();
    if (!rows || !rows->active())
        return {};
    return rows->value(m_keyField);
}

void DBLookupComboBox::loadList()
{
    if (m_model->loaded())
        return;
    BusyScope busy(Prompt::current());
    m_model->ensureLoaded();
}

void DBLookupComboBox::show(const QString& text)
{
    QVariant key;
    try {
        key = currentKey();
    } catch (const std::exception&) {
        // A row that cannot be read shows empty; the error reaches the user where it was read.
    }
    // The list's current item is the row's client, so the list opens on it.
    const int row = m_model->loaded() && !text.isEmpty() ? m_model->findKey(key, text) : -1;
    m_showing = true;
    if (currentIndex() != row)
        setCurrentIndex(row);
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
    m_showing = false;
}

void DBLookupComboBox::userEdited(const QString& text)
{
    const bool complete = m_completeNext;
    m_completeNext = false;
    if (m_showing || !dataset())
        return;
    m_link->userChanged();
    // Type-ahead: the rest of the first listed value that begins with what was typed, selected,
    // so the next letter typed replaces it.
    if (!complete || text.isEmpty() || lineEdit()->cursorPosition() != text.size() || !m_model->loaded())
        return;
    const int row = m_model->findPrefix(text);
    if (row < 0)
        return;
    const QString value = m_model->valueAt(row);
    m_showing = true;
    setCurrentIndex(row);
    lineEdit()->setText(value);
    lineEdit()->setSelection(int(value.size()), int(text.size() - value.size()));
    m_showing = false;
}

void DBLookupComboBox::picked(int row)
{
    store::Dataset* rows = dataset();
    if (m_showing || !rows || row < 0 || row >= m_model->rowCount())
        return;
    if (!sameKey(m_model->keyAt(row), currentKey())) {
        if (rows->active() && !rows->editing())
            rows->edit();
        rows->setValue(m_keyField, m_model->keyAt(row));
    }
    m_link->revert();
}

void DBLookupComboBox::write(const QString& typed)
{
    store::Dataset& rows = *dataset();
    if (typed.trimmed().isEmpty()) {
        rows.setNull(m_keyField);
    } else if (compareIgnoringCase(typed, rows.text(dataField())) != 0) {
        loadList();
        int row = m_model->findValue(typed);
        if (row < 0)
            row = m_model->findValue(typed.trimmed());
        if (row < 0)
            throw store::StoreError(store::ConversionError,
                                    QStringLiteral("'%1' no figura en la lista de %2.").arg(typed, shownName()));
        rows.setValue(m_keyField, m_model->keyAt(row));
    }
}

QString DBLookupComboBox::shownName() const
{
    const QString label = FieldLink::windowLabel(this);
    if (!label.isEmpty())
        return label;
    // Without a label beside it, the list is named as the field it lists is.
    const store::LookupDef* lookup = dataset() ? dataset()->lookups().find(dataField()) : nullptr;
    if (lookup && lookup->lookupDataset)
        if (const store::FieldDef* f = lookup->lookupDataset->def().field(lookup->resultField))
            return f->shownName();
    return dataField();
}

void DBLookupComboBox::showPopup()
{
    bool ok = false;
    runHandler([this, &ok] {
        loadList();
        ok = true;
    });
    if (!ok)
        return;
    // Open on the row's client, or on the first value that begins with what was typed.
    const QString text = lineEdit()->text();
    int row = -1;
    if (!text.isEmpty())
        row = modified() ? m_model->findPrefix(text) : m_model->findKey(currentKey(), text);
    m_showing = true;
    if (currentIndex() != row)
        setCurrentIndex(row);
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
    m_showing = false;
    QComboBox::showPopup();
}

void DBLookupComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    m_link->focusLost(event);
}

void DBLookupComboBox::wheelEvent(QWheelEvent* event)
{
    // A turn of the wheel over the closed box must not change the row's client unnoticed.
    event->ignore();
}

bool DBLookupComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == this || watched == lineEdit())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            break;
        default:
            // A letter typed or a move in the list needs the list; read it before the key acts.
            runHandler([this] { loadList(); });
            m_completeNext = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                             !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        }
    }
    return QComboBox::eventFilter(watched, event);
}
