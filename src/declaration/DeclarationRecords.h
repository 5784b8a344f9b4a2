#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The records of a declaration file as the verifier reads them: each type's fields in order,
// with what each must hold, and the forms of their values.
namespace declcheck::records {

enum class Kind {
    Type,
    Year,            // "000" Anio: 4 digits
    Month,           // "000" Anticipo: 2 digits
    Number,          // a float as the file writes it, or '' for null
    FormNumber,      // a form number: a whole number, 0 or more, or ''
    WholeNumber,     // a booklet count: a whole number, or ''
    RequiredNumber,  // the same, never ''
    Flag,            // S, N or ''
    Date,            // dd/mm/yyyy or ''
    Text,            // a stored text: only its width is fixed
    AgentCuit,       // 11 digits with their check digit
    ClientCuit,      // the same or '', in ascending order over the "040" records
    ClientRef,       // the C.U.I.T. of a row's client: one of the "040" records
    ShortInt,        // the agent's postal code, an int16
    RowYear,         // a row's own Anio: '' while open, else the period's
    RowMonth,        // a row's own Anticipo, likewise
};

struct FieldLayout {
    const char* name;
    Kind kind;
    const char* table = nullptr;  // whose field gives the width of a text
    int width = 0;                // that field's width, 0 for none
};

struct RecordLayout {
    const char* type;
    int rank;           // the order of the records in the file
    const char* table;  // the table its rows come from
    QList<FieldLayout> fields;
};

// The record of a type, or nullptr for a type the file does not have.
const RecordLayout* recordLayout(const QByteArray& type);
// The same without a copy of the type, for the verifier's every line.
const RecordLayout* layoutOf(QByteArrayView type);

// Windows-1252 bytes as text.
QString decode(QByteArrayView bytes);
// A value as a message quotes it: long ones cut.
QString shown(const QString& value);
// The form the file writer gives a number: written again, it comes out the same.
bool numberForm(const QString& text);
// dd/mm/yyyy, a real date.
bool dateForm(const QString& text);
// A whole number an int16 holds.
bool shortInt(const QString& text);
// The first thing in a value that Windows-1252 text cannot be, or a line break or NUL that would
// break its record; empty when there is none.
QString badBytes(QByteArrayView value);

// What is wrong with the value of a field as its record holds it; empty when it is sound. The
// period of the file (anio, anticipo) checks the rows' own period fields; null while unknown.
QString valueFault(const FieldLayout& layout, const QString& value, const QString* anio = nullptr,
                   const QString* anticipo = nullptr);

// Whether a value is surely sound, told from its bytes alone: of the field's width in the common forms of its kind
// (whole numbers, plain decimals, real dates, C.U.I.T.s). False says nothing: valueFault then decides and words the
// fault. The rows' own period fields are compared with anio and anticipo when periodKnown.
bool surelySound(const FieldLayout& layout, QByteArrayView value, QByteArrayView anio, QByteArrayView anticipo,
                 bool periodKnown);
// Whether badBytes surely finds nothing in a value, told at a glance per byte.
bool surelyClean(QByteArrayView value);

}  // namespace declcheck::records
