#pragma once

#include <QString>
#include <initializer_list>

class QWidget;
namespace store {
class Dataset;
}

// One obligatory field of a dialog and the box that holds it (none: the focus stays put).
struct ObligatoryField {
    const char* field;
    QWidget* control = nullptr;
};

// Checks the fields in the order given: at the first empty one shows the message, puts the focus
// on its box and answers false.
bool obligatoryFieldsFilled(const store::Dataset& rows, std::initializer_list<ObligatoryField> fields,
                            const QString& message = QStringLiteral("Faltan Datos Obligatorios"));
