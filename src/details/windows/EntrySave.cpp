#include "EntrySave.h"

#include "data/Prompt.h"
#include "data/store/Dataset.h"

#include <QDialog>

namespace entrysave {

bool save(QWidget& dialog, EntryTable table, store::Dataset& rows, const RowRule& rule, const Post& post)
{
    // Left open on a row just saved, a dialog goes on editing that row.
    if (!rows.editing())
        rows.edit();
    rows.updateRecord();

    rowrules::Verdict fault = rowrules::firstMissing(rows, entrytable::obligatoryFields(table));
    if (!fault && rule)
        fault = rule(rows);
    if (fault) {
        Prompt::current().notice(fault->message);
        if (QWidget* box = entrytable::controlOf(&dialog, table, fault->field))
            box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (post)
        post(rows);
    else
        rows.post();
    return true;
}

void cancel(QDialog& dialog, store::Dataset& rows)
{
    rows.cancel();
    dialog.reject();
}

}  // namespace entrysave
