#pragma once

#include <QStringList>

// The form types offered for a printed-forms row, in the order the lists show them. The field
// takes any other text as well.
const QStringList& formTypes();
