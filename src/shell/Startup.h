#pragma once

#include <QString>
#include <QStringList>

namespace store {
class AliasConfig;
}

// Creates the main window, the data module and every dialog and the report once, in the
// program's fixed order; they live until destroyForms(). config is not owned. dataFolder,
// when not empty, is used for this run instead of the alias. On an error, what was created
// is destroyed again and the error goes on to the caller.
void createForms(store::AliasConfig* config, const QString& dataFolder = {});

// Deletes everything createForms made, in the reverse order, and clears the global pointers.
void destroyForms();

// The global instances, by name, in the order createForms made them.
QStringList creationOrder();
