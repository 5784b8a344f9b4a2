#pragma once

#include <QIcon>

// The small pictures on the buttons of the period windows, drawn at run time.
namespace glyph {

QIcon accept();    // a green check mark
QIcon cancel();    // a red cross
QIcon modify();    // a pencil over a sheet
QIcon insert();    // a sheet with a green plus
QIcon remove();    // a sheet with a red minus
QIcon generate();  // a sheet with a seal
QIcon leave();     // an open door with an arrow
QIcon folder();    // a yellow folder
QIcon view();      // a sheet under a magnifying glass

}  // namespace glyph
