#pragma once

#include <QString>
#include <QStringList>

class Prompt;
class TDModulo;

// What the windows do with the folder of the tables before they open anything in it: a folder
// that is not there is asked about (a stick not plugged in must not look like data gone), and
// the folder is locked for the whole run, so that no other program works on it meanwhile.
namespace folderstart {

// The question of a missing folder, with its choices in the order they are offered.
QString missingFolderText(const QString& folder);
enum Choice { Retry = 0, OtherFolder = 1, CreateEmpty = 2 };
QStringList missingFolderChoices();

// Answers whether the windows may go on. givenForRun: the folder came with the command line,
// and a mistyped one is refused rather than asked about. When the answer is no, the reason has
// been told through the prompt and the program ends.
bool prepare(TDModulo& modulo, Prompt& prompt, bool givenForRun);

}  // namespace folderstart
