#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// The check of a declaration file before it goes to the revenue office: everything the file's
// form fixes, from the header to "Eof", so that a file cut short, edited by hand or copied
// through another code page is caught here and not at the office. No windows and no tables:
// the verifier reads the file alone.
namespace declcheck {

struct Fault {
    int line = 0;      // from 1; 0 for the file as a whole (its name, its size)
    int position = 0;  // the field within its record, from 1; 0 for the line as a whole
    QString field;     // the field's name, or what part of the line is meant ("verificación")
    QString text;      // what is wrong, in Spanish
};

// What a sound declaration holds.
struct Summary {
    QString cuit, nombre;    // the agent, from record "010"
    QString anio, anticipo;  // the period, from record "000"
    QString rectificativa;   // the amendment number, "0" for a first declaration
    QString codigo;          // the control code printed on the paper declaration
    int forms = 0, formsVoided = 0;
    int machines = 0, machinesVoided = 0;
    int clients = 0;
};

struct Report {
    QString fileName;        // without its folder
    Summary summary;         // meaningful only when there are no faults
    QList<Fault> faults;     // in the order of the lines
    bool truncated = false;  // more faults were found than MaxFaults
    bool ok() const { return faults.isEmpty(); }
};

// A damaged or foreign file could give a fault for every line; the first ones tell enough.
constexpr int MaxFaults = 1000;

// Checks the bytes of a declaration; fileName (without its folder) is compared with the name the
// records give, and left alone when empty.
Report checkBytes(QByteArrayView bytes, const QString& fileName);

// Checks the file at path, read in blocks. A file that cannot be read, and anything but a
// regular file (a folder, a FIFO, a device), is a store::StoreError (FileError).
Report checkFile(const QString& path);
// The same for a file still under another name than its own, fileName.
Report checkFile(const QString& path, const QString& fileName);

// "Línea 5, campo 3 (Razon_Social): …".
QString faultText(const Fault& fault);

// The answer for the user: the summary of a sound file, or every fault with its line and field.
QString reportText(const Report& report);

}  // namespace declcheck
