#pragma once

// The main window over a data folder of its own, made as the program makes it. Dialogs are not
// run: the modal handler records them by name and runs the checks a test sets for while one is
// up. Shared by the tests of the main window and of its tools.

#include "DataFolder.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "widgets/ModalDialog.h"

#include <QAction>
#include <QDialog>
#include <QTest>
#include <functional>
#include <memory>

Q_DECLARE_METATYPE(PromptButton)

class MainWindowFixture {
protected:
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<DataFolder> m_folder;
    QStringList m_dialogs;                       // shown, by objectName
    std::function<void(QDialog&)> m_whileShown;  // checks made while a dialog is up

    static void trigger(const QString& action)
    {
        auto* a = FPrincipal->findChild<QAction*>(action);
        QVERIFY2(a, qPrintable(action));
        a->trigger();
    }

    static QList<bool> standingViewsOpen()
    {
        const TDModulo& m = *DModulo;
        return {m.TImprentas->active(),   m.TCliente->active(),     m.TDetalles->active(),  m.QMaximo->active(),
                m.QAnt->active(),         m.TVerDetalles->active(), m.TAnticipos->active(), m.TMaquinas->active(),
                m.TVerMaquinas->active(), m.TFormulario->active()};
    }

    static void saveAgentAndPeriod()
    {
        store::Dataset* agent = DModulo->TImprentas;
        agent->edit();
        agent->setText(QStringLiteral("Nombre"), QStringLiteral("Imprenta del Sol"));
        agent->post();
        store::Dataset* period = DModulo->TAnticipos;
        period->insert();
        period->setText(QStringLiteral("Anio"), QStringLiteral("2016"));
        period->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
        period->post();
    }

    // The forms made over a new data folder, the tables open as the first activation leaves them.
    void openWindows()
    {
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_folder = std::make_unique<DataFolder>();
        m_dialogs.clear();
        m_whileShown = {};
        setModalHandler([this](QDialog& dialog) {
            m_dialogs << dialog.objectName();
            if (m_whileShown)
                m_whileShown(dialog);
            return int(QDialog::Rejected);
        });
        createForms(&m_folder->config());
        DModulo->AbrirTablas();  // what the first activation does
    }

    void closeWindows()
    {
        destroyForms();
        setModalHandler({});
        m_folder.reset();
        m_prompt.reset();
    }
};
