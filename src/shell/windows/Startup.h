#pragma once

#include <QString>
#include <QStringList>

class QObject;
namespace store {
class AliasConfig;
}

// Creates the main window and the data module; every dialog and the report is built the first
// time its global instance is used, once, and all live until destroyForms(). config is not
// owned. dataFolder, when not empty, is used for this run instead of the alias. On an error,
// what was created is destroyed again and the error goes on to the caller.
void createForms(store::AliasConfig* config, const QString& dataFolder = {});

// Deletes everything made since createForms, in the reverse order, and clears the globals.
void destroyForms();

// The global instances made so far, by name, in the order they were made.
QStringList creationOrder();

// The global instance of that name, built if it was not yet; null for a name it does not know.
QObject* instance(const QString& name);
