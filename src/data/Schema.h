#pragma once

#include "store/Database.h"
#include "store/TableDef.h"

// The six tables of the program, their fields and indexes, in the order of their files.
namespace schema {

QList<store::TableDef> tables();
QList<store::ReferenceDef> references();  // clients that detail and machine rows refer to
const store::TableDef& table(const QString& tableName);

}  // namespace schema
