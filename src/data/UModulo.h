#pragma once

#include "data/files/FolderLock.h"
#include "store/AliasConfig.h"
#include "store/Dataset.h"
#include "store/Query.h"
#include "store/Session.h"

#include <QObject>
#include <memory>

// The data module: every view and query of the program, the alias start-up and the table
// rules. It exists for the whole run; forms work on the data only through it.
class Prompt;

class TDModulo : public QObject {
    Q_OBJECT
public:
    // config: the store configuration (not owned). prompt: what the table rules and the opening
    // of the tables tell and ask the clerk through (not owned). dataFolder: a folder for this run
    // in place of the alias (`--datos`); empty to use the alias.
    TDModulo(store::AliasConfig* config, Prompt& prompt, const QString& dataFolder = {}, QObject* parent = nullptr);
    ~TDModulo() override;

    void DataModuleCreate();
    void AbrirTablas();  // throws the store's error of the first view that cannot be opened
    void CerrarTablas();
    static bool ValidarCuit(const QString& cuit);
    // An anticipo as the period table stores it: one digit takes a leading zero ("7" is "07").
    static QString storedAnticipo(const QString& anticipo);
    QString aliasFolder() const;  // the physical folder of the alias IMPRENTAS (or of --datos)
    // Uses folder for the rest of the run instead of the alias, which stays untouched.
    void useFolderForRun(const QString& folder);
    // Holds the lock of the folder of the tables until the module goes, across every close and
    // open of the views: no other program finishes, restores or files anything there meanwhile.
    // who names this program to the one refused; waitMs: how long another holder is waited for.
    // Throws StoreError (FolderBusy naming the holder, FileError).
    void lockFolder(const QString& who, int waitMs = 0);
    bool folderLocked() const { return m_lock != nullptr; }
    Prompt& prompt() const { return m_prompt; }
    // Drops the change waiting in every view (a cell typed, a row begun), except in keep, so
    // that what is read next is what is stored.
    void cancelPendingEdits(const store::Dataset* keep = nullptr);

    static const QString AliasName;

    store::AliasConfig* config;
    store::Session* Session1_1;

    store::Dataset* TImprentas;
    store::Dataset* TCliente;
    store::Dataset* TClientes2;
    store::Dataset* TDetalles;
    store::Dataset* TVerDetalles;
    store::Dataset* TMaquinas;
    store::Dataset* TVerMaquinas;
    store::Dataset* TAnticipos;
    store::Dataset* TFormulario;

    store::DataSource* DImprentas;
    store::DataSource* DCliente;
    store::DataSource* DClientes2;
    store::DataSource* DDetalles;
    store::DataSource* DVerDetalles;
    store::DataSource* DMaquinas;
    store::DataSource* DVerMaquinas;
    store::DataSource* DAnticipos;
    store::DataSource* DFormulario;

    store::Query* QMaximo;
    store::Query* QAnt;
    store::Query* QMod;
    store::Query* QAntM;
    store::Query* QBorraForm;
    store::Query* QInsertaForm;
    store::Query* Qrep;
    store::Query* QBorrar;

private:
    void createViews();
    void createQueries();
    void bindRules();
    Prompt& m_prompt;
    QString m_dataFolder;
    std::unique_ptr<store::FolderLock> m_lock;
};

extern TDModulo* DModulo;
