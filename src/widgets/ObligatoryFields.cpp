#include "ObligatoryFields.h"

#include "data/Prompt.h"
#include "data/store/Dataset.h"

#include <QWidget>

bool obligatoryFieldsFilled(const store::Dataset& rows, std::initializer_list<ObligatoryField> fields,
                            const QString& message)
{
    for (const ObligatoryField& f : fields) {
        if (rows.text(QString::fromLatin1(f.field)).isEmpty()) {
            Prompt::current().notice(message);
            if (f.control)
                f.control->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}
