#include "EntryTable.h"

#include "DBCheckBox.h"
#include "DBComboBox.h"
#include "DBDateEdit.h"
#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DBPriceEdit.h"
#include "EnterAsTab.h"

#include <QLabel>

namespace entrytable {

namespace {

// Each data control binds itself, as its own setDataField knows what else the field sets.
template <typename Control, typename... Others>
bool bindAs(QWidget* control, store::Dataset* rows, const QString& field)
{
    if (auto* c = qobject_cast<Control*>(control)) {
        c->setDataField(rows, field);
        return true;
    }
    if constexpr (sizeof...(Others) > 0)
        return bindAs<Others...>(control, rows, field);
    return false;
}

}  // namespace

QWidget* control(const QWidget* dialog, const EntryField& row)
{
    auto* found = dialog->findChild<QWidget*>(QString::fromLatin1(row.control));
    Q_ASSERT_X(found, "entrytable::control", row.control);
    return found;
}

QWidget* controlOf(const QWidget* dialog, EntryTable table, const QString& field)
{
    for (const EntryField& row : table)
        if (row.field && field.compare(QLatin1String(row.field), Qt::CaseInsensitive) == 0)
            return control(dialog, row);
    return nullptr;
}

void bind(const QWidget* dialog, EntryTable table, store::Dataset* rows)
{
    for (const EntryField& row : table) {
        if (!row.field)
            continue;
        [[maybe_unused]] const bool bound =
            bindAs<DBEdit, DBDateEdit, DBPriceEdit, DBComboBox, DBLookupComboBox, DBCheckBox>(
                control(dialog, row), rows, QString::fromLatin1(row.field));
        Q_ASSERT_X(bound, "entrytable::bind", row.control);
    }
}

void chain(const QWidget* dialog, EntryTable table)
{
    QList<QWidget*> controls;
    for (const EntryField& row : table)
        controls << control(dialog, row);
    EnterAsTab::setTabChain(controls);
}

QList<EntryLine> lines(QWidget* labelParent, const QWidget* dialog, EntryTable table)
{
    QList<EntryLine> made;
    for (const EntryField& row : table) {
        if (!row.label)
            continue;
        auto* label = new QLabel(QString::fromUtf8(row.label), labelParent);
        label->setObjectName(QStringLiteral("Label%1").arg(made.size() + 1));
        QWidget* shown = control(dialog, row);
        label->setBuddy(shown);
        made.append({label, shown});
    }
    return made;
}

QStringList obligatoryFields(EntryTable table)
{
    QStringList fields;
    for (const EntryField& row : table)
        if (row.obligatory)
            fields << QString::fromLatin1(row.field);
    return fields;
}

}  // namespace entrytable
