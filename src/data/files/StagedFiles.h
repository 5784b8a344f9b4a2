#pragma once

#include <QString>

// A set of files put in place beside the tables together, all or none, even across a crash: the
// restore of a backup, the tables of a first start. The new files wait, whole and synced, in a folder beside the
// tables; a marker written and synced records that they are to replace the old ones; then each is renamed into place
// and the marker goes. Every open of the tables first finishes a set whose marker is there and removes one whose marker
// never was, so the old files and the new never mix. Both run under the folder's lock: a second program finishing a set
// while the first still fills it would take the files from under it.
namespace store::staged {

// The folder the new files wait in: the tables' own files at its top, those of ddjj in its ddjj.
QString folderFor(const QString& tablesFolder);
QString markerFor(const QString& tablesFolder);

// Records the intent and puts every waiting file in place; throws StoreError for a step that
// fails, and the next open of the tables finishes the work.
void placeAll(const QString& tablesFolder);

// At the open of the tables, before any is read: carries out a recorded intent, or removes files
// left waiting without one. Throws StoreError when a file cannot be put in place.
void finish(const QString& tablesFolder);

// Removes the waiting folder of a set that will not be placed; nothing is recorded yet.
void discard(const QString& tablesFolder);

}  // namespace store::staged
