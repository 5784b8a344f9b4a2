#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The work the command line can do without windows; None opens the windows.
enum class Order {
    None,
    Presentar,
    Regenerar,
    ImportarClientes,
    ImportarDetalles,
    Reparar,
    Verificar,
    Respaldar,
    Restaurar,
    Pdf
};

// What the program was asked for on its command line.
struct CommandLine {
    QString dataFolder;  // --datos DIR: the tables of this run, in place of the alias
    bool help = false;
    bool version = false;
    QString error;  // not empty when the arguments could not be understood

    Order order = Order::None;
    QString orderWord;            // as typed
    QString anio, anticipo;       // presentar, regenerar, pdf
    QString destino;              // --destino; empty for the default folder
    bool imprimir = false;        // --imprimir
    bool closeAmendment = false;  // --cerrar-rectificativa
    bool acceptWarnings = false;  // --aceptar-avisos: a range of forms declared twice is filed all the same
    QString file;                 // the file of an import, of the verifier, of a backup or of a PDF copy
    QHash<QString, int> columns;  // the import's positions given, by option name ("cuit-desde")
};

// Whether the order draws the printed form (into a PDF or on a printer): it needs the toolkit's
// graphical part, though no screen.
bool drawsForms(const CommandLine& line);

// arguments as QCoreApplication::arguments() gives them, the program's name first.
CommandLine parseCommandLine(const QStringList& arguments);
QString commandLineHelp();
QString commandLineVersion();

// The values of each import, in the order of its window's rows; each has a "-desde" and a
// "-hasta" option, 1 when not given, as the window's spinners start.
QStringList clientColumnNames();
QStringList detailColumnNames();
