#pragma once

#include <QString>

// The text encoding a table file keeps its texts in, read from its header. Ours are in UTF-8; a
// file made in UTF-16 passes every other check and then no order can read its texts.
namespace store {

// The name of the encoding the header of the file at path gives when it is not UTF-8 ("UTF-16LE"),
// else empty. A file too short to hold a header, or one that is no table file, is left to the
// other checks: empty. Throws StoreError (FileError) when the file cannot be read.
QString foreignTextEncoding(const QString& path);

// The same as a refusal: StoreError (ForeignFile) naming the file and its encoding.
void checkTableEncoding(const QString& path);

}  // namespace store
