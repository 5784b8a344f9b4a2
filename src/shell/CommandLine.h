#pragma once

#include <QString>
#include <QStringList>

// What the program was asked for on its command line.
struct CommandLine {
    QString dataFolder;  // --datos DIR: the tables of this run, in place of the alias
    bool help = false;
    bool version = false;
    QString error;  // not empty when the arguments could not be understood
};

// arguments as QCoreApplication::arguments() gives them, the program's name first.
CommandLine parseCommandLine(const QStringList& arguments);
QString commandLineHelp();
QString commandLineVersion();
