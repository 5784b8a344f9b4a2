#pragma once

// A data folder with the agent, four clients and the period windows over it, for the tests
// of the workbench and its entry dialogs.

#include "DataFolder.h"
#include "Keyboard.h"
#include "SampleCuit.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "declaration/windows/UPresentaciones.h"
#include "details/windows/UCDetalles.h"
#include "details/windows/UDetalleG.h"
#include "details/windows/UGMaquinas.h"
#include "widgets/ModalDialog.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <functional>
#include <memory>

namespace fixture {

// The clients: two complete ones, one without a name and one without a C.U.I.T.
inline const QString AlfaName = QStringLiteral("ALFA IMPRESOS SRL");
inline const QString BetaName = QStringLiteral("BETA COMERCIAL SA");
inline const QString GammaName = QStringLiteral("GAMMA SIN CUIT");
inline QString alfaCuit() { return cuitFor(11111111); }
inline QString betaCuit() { return cuitFor(22222222); }
inline QString namelessCuit() { return cuitFor(33333333); }

class Period {
public:
    Period()
    {
        TDModulo& m = folder.modulo();
        m.TImprentas->insert();
        m.TImprentas->setText(QStringLiteral("Cuit"), cuitFor(99999999));
        m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("IMPRENTA DEL SOL"));
        m.TImprentas->post();
        addClient(alfaCuit(), AlfaName);
        addClient(betaCuit(), BetaName);
        addClient(namelessCuit(), QString());
        addClient(QString(), GammaName);

        FCDetalles = new TFCDetalles;
        FGMaquina = new TFGMaquina;
        FPresentaciones = new TFPresentaciones;
        FDetalle = new TFDetalle;
        QObject::connect(FDetalle, &TFDetalle::generateRequested, FPresentaciones, [] { showModal(*FPresentaciones); });
        setModalHandler([this](QDialog& dialog) {
            shown << dialog.objectName();
            if (!keyboard::showActive(dialog))
                qWarning("the dialog %s did not become active", qPrintable(dialog.objectName()));
            if (whileShown)
                whileShown(dialog);
            const int result = dialog.result();
            dialog.hide();  // as if its message loop ended, without closing it through a button
            return result;
        });
    }

    ~Period()
    {
        setModalHandler({});
        delete FDetalle;
        FDetalle = nullptr;
        delete FPresentaciones;
        FPresentaciones = nullptr;
        delete FGMaquina;
        FGMaquina = nullptr;
        delete FCDetalles;
        FCDetalles = nullptr;
    }

    TDModulo& m() { return *DModulo; }

    void addClient(const QString& cuit, const QString& name)
    {
        m().TCliente->insert();
        m().TCliente->setText(QStringLiteral("Cuit"), cuit);
        m().TCliente->setText(QStringLiteral("Razon_Social"), name);
        m().TCliente->post();
    }

    int clientId(const QString& name)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db, QStringLiteral("SELECT Id_cliente FROM %1 WHERE Razon_Social = ?")
                                      .arg(db.qualifiedTable(QStringLiteral("cliente"))));
        stmt.bind(1, name);
        return stmt.step() ? stmt.column(0).toInt() : -1;
    }

    // Rows of a table as stored, whatever view shows them.
    int storedRows(const QString& table)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db, QStringLiteral("SELECT count(*) FROM %1").arg(db.qualifiedTable(table)));
        stmt.step();
        return stmt.column(0).toInt();
    }

    // A field of the last row of a table as stored.
    QVariant storedValue(const QString& table, const QString& field)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid DESC LIMIT 1")
                                      .arg(store::quoteIdentifier(field), db.qualifiedTable(table)));
        return stmt.step() ? stmt.column(0) : QVariant();
    }

    static void showActive(QDialog& dialog) { QVERIFY(keyboard::showActive(dialog)); }

    ScriptedPrompt prompt;
    DataFolder folder;
    QStringList shown;                         // dialogs shown modally, by name
    std::function<void(QDialog&)> whileShown;  // what the user does while a dialog is up
};

}  // namespace fixture
