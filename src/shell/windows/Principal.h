#pragma once

#include <QMainWindow>

class Prompt;

// The main window: the authority's emblem and the menu from which all work starts. Each
// time it becomes active it opens the data module's views.
class TFPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit TFPrincipal(QWidget* parent = nullptr);

public slots:
    void FormActivate();
    void Agente1Click();
    void Insertar1Click();
    void Modificar1Click();
    void CargarDetalle1Click();
    void PresentacionesAnteriores1Click();
    void GenerarRectificativa1Click();
    void ImportarClientes1Click();
    void ImportarDetalles1Click();
    void RepararBase1Click();
    void VerificarDeclaracion1Click();
    void DeclaracionPdf1Click();
    void CopiaSeguridad1Click();
    void RestaurarCopia1Click();
    void Salir1Click();
    void Ayuda1Click();

protected:
    bool event(QEvent* event) override;

private:
    void createPanel();
    void createMenu();
    void addEntry(QWidget* menu, const QString& name, const QString& text, void (TFPrincipal::*handler)());
    bool agentLoaded();
    bool confirm(const QString& text);
    void openTables();
    QString lastBackupFolder();
    QString backupToRestore(Prompt& prompt);

    // The last activation error shown. Closing its box activates this window again; the same
    // error is not shown again until the user takes a menu entry or the views open.
    QString m_reportedError;
    // A repair has failed and the tables still do not open: the way back was told once, and
    // returning to this window does not repeat it until another repair fails.
    bool m_repairFailed = false;
    bool m_wayBackTold = false;
};

extern TFPrincipal* FPrincipal;
