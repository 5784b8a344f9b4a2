#pragma once

#include <QString>
#include <exception>

namespace store {

// Error codes the callers test; every other failure carries one of our own codes.
enum ErrorCode : int {
    KeyViolation = 9729,      // a second row with an existing key of a unique index
    MasterHasDetails = 9734,  // a master row that detail rows still refer to
    TableNotFound = 10001,
    TableDamaged = 10002,
    ForeignFile = 10003,
    ConversionError = 10004,
    BadFilter = 10005,
    AliasError = 10006,
    NotOpen = 10007,
    NotEditing = 10008,
    FieldNotFound = 10009,
    SqlError = 10010,
    FileError = 10011,
    RowGone = 10012,         // the row being edited was deleted through another view
    BackupRefused = 10013,   // a backup that is not whole, not ours or newer than the program
    FolderBusy = 10014,      // another program works on the folder of the tables
    InputFileError = 10015,  // a file given to be read (an import's) that cannot be read or is not text
};

// Every failure of the store: a numeric code and a text for the user, in Spanish.
class StoreError : public std::exception {
public:
    StoreError(int code, QString text) : m_code(code), m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    int code() const { return m_code; }
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    int m_code;
    QString m_text;
    QByteArray m_utf8;
};

// A view or query used while it is closed. The clerk is told in the words of the window, not
// the view's name.
inline StoreError notOpenError()
{
    return StoreError(NotOpen, QStringLiteral("Los datos no están abiertos. Cierre esta ventana y vuelva a abrirla."));
}

// A silent abort: a rule that has already shown its own message stops the operation without
// another word. Handlers catch it and do nothing.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "operación abandonada"; }
};

}  // namespace store
