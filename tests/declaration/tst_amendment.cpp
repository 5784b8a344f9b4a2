// The amended declaration: its states, its voids and additions compared record by record with
// the first filing of the same period, to drive A:, and the keyboard alone.

#include "Keyboard.h"
#include "RefilingFixture.h"
#include "widgets/DirectoryListBox.h"

#include <QSettings>

using namespace fixture;

class TestAmendment : public QObject, private FiledPeriod {
    Q_OBJECT

private slots:
    void init() { openWindows(); }

    void cleanup() { closeWindows(); }

    // The amendment states: the first void raises the number once, further voids and inserts
    // keep it, a cancelled dialog leaves it, and Generar closes it; Generar with nothing changed
    // writes the same number again.
    void amendmentStates()
    {
        fileFirst();
        QCOMPARE(number("Rectificativa"), 0.0);
        openAmendment();

        m_script = {{"FAnular", [](QDialog& d) { press(d, "BitBtn2"); }}};  // Cancelar
        FGenRec->BitBtn3->click();
        QCOMPARE(number("Rectificativa"), 0.0);

        m_script = {{"FAnular", setFlag("N")}};  // accepted with nothing changed
        FGenRec->BitBtn3->click();
        QCOMPARE(number("Rectificativa"), 1.0);
        QVERIFY(m().TAnticipos->isNull("Rec_pre"));

        m_script = {{"FAnulaMaquina", setFlag("S")}, {"FAnular", setFlag("S")}};
        FGenRec->BitBtn4->click();
        FGenRec->BitBtn3->click();
        QCOMPARE(number("Rectificativa"), 1.0);
        QCOMPARE(FGenRec->DBEdit3->text(), QStringLiteral("1"));

        p().prompt.answer(PromptButton::Yes);
        FGenRec->BitBtn1->click();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        QCOMPARE(p().prompt.shown().first().caption, QStringLiteral("Imprentas"));
        QCOMPARE(p().prompt.shown().first().buttons, PromptButtons::YesNo);
        QVERIFY(!FGenRec->isVisible());
        QCOMPARE(number("Rec_pre"), 1.0);
        QCOMPARE(Declaration::read(declarationPath()).of("000").first().value(3), QStringLiteral("1"));

        // The next void opens amendment 2.
        p().prompt.clear();
        openAmendment();
        m_script = {{"FAnular", setFlag("N")}};
        FGenRec->BitBtn3->click();
        QCOMPARE(number("Rectificativa"), 2.0);
        QCOMPARE(number("Rec_pre"), 1.0);
        FGenRec->close();

        // Generar answered No changes nothing; then with nothing changed it writes 2 again.
        openAmendment();
        p().prompt.answer(PromptButton::No);
        FGenRec->BitBtn1->click();
        QVERIFY(FGenRec->isVisible());
        QCOMPARE(number("Rec_pre"), 1.0);
        p().prompt.answer(PromptButton::Yes);
        FGenRec->BitBtn1->click();
        QVERIFY(!FGenRec->isVisible());
        QCOMPARE(number("Rec_pre"), 2.0);
        openAmendment();
        p().prompt.answer(PromptButton::Yes);
        FGenRec->BitBtn1->click();
        QCOMPARE(number("Rectificativa"), 2.0);
        QCOMPARE(Declaration::read(declarationPath()).of("000").first().value(3), QStringLiteral("2"));
    }

    // The amended file beside the first filing: the same header and verification line, the
    // number in "000", the agent and register as they are now, every row of the period with
    // its period and flag, the voided ones too; the printout leaves the voided rows out.
    void amendedFileAgainstTheFirstFiling()
    {
        const Declaration first = fileFirst();
        // After the filing: a new client, a new address for the agent.
        p().addClient(fixture::cuitFor(44444444), QStringLiteral("ZETA NUEVO SRL"));
        m().TImprentas->edit();
        m().TImprentas->setText("Domicilio", "CALLE NUEVA 99");
        m().TImprentas->post();

        openAmendment();
        m().TVerDetalles->first();
        m_script = {{"FAnular", setFlag("S")}};
        FGenRec->BitBtn3->click();  // voids the Facturas A row
        m().TVerMaquinas->first();
        m_script = {{"FAnulaMaquina", setFlag("S")}};
        FGenRec->BitBtn4->click();  // voids RX-441
        // Added rows: a form with Anulado left empty, a machine likewise.
        m_script = {{"FAnular",
                     [this](QDialog& d) {
                         store::Dataset* ds = m().TVerDetalles;
                         ds->setText("Fecha", "20/07/2024");
                         ds->setValue("Cliente", p().clientId(fixture::BetaName));
                         ds->setText("Tipo_comprobante", "Remitos");
                         ds->setValue("NDesde", 101.0);
                         ds->setValue("NHasta", 130.0);
                         press(d, "BitBtn1");
                     }},
                    {"FAnulaMaquina", [this](QDialog& d) {
                         store::Dataset* mq = m().TVerMaquinas;
                         mq->setValue("Fecha", QDate(2024, 7, 21));
                         mq->setValue("Cliente_id", p().clientId(fixture::AlfaName));
                         mq->setText("Marca", "REGISTRA");
                         mq->setText("Modelo", "RX-900");
                         mq->setValue("Precio", 2100.5);
                         press(d, "BitBtn1");
                     }}};
        FGenRec->BitBtn5->click();
        FGenRec->BitBtn6->click();
        QVERIFY(m_script.isEmpty());
        QCOMPARE(FGenRec->DBGrid1->model()->rowCount(), 3);
        QCOMPARE(FGenRec->DBGrid2->model()->rowCount(), 3);
        QCOMPARE(m().TDetalles->recordCount(), 0);  // added rows never belong to the open period
        QCOMPARE(m().TMaquinas->recordCount(), 0);
        p().prompt.answer(PromptButton::Yes);
        FGenRec->BitBtn1->click();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        const Declaration amended = Declaration::read(declarationPath());

        QCOMPARE(amended.header, first.header);
        QCOMPARE(amended.verification, first.verification);
        QVERIFY(first.endsWithEof && amended.endsWithEof);
        QCOMPARE(first.of("000"), (QList<QStringList>{{"000", "2024", "07", "0"}}));
        QCOMPARE(amended.of("000"), (QList<QStringList>{{"000", "2024", "07", "1"}}));
        QStringList agent = first.of("010").first();
        agent[7] = QStringLiteral("CALLE NUEVA 99");
        QCOMPARE(amended.of("010").first(), agent);

        // The rows filed first, now with their period, the voided one flagged, then the added one.
        QList<QStringList> forms = first.of("020");
        QCOMPARE(forms.size(), 2);
        for (QStringList& r : forms) {
            QCOMPARE(r[FormAnio], QString());
            r[FormAnio] = QStringLiteral("2024");
            r[FormAnticipo] = QStringLiteral("07");
        }
        forms[0][FormAnulado] = QStringLiteral("S");
        const QList<QStringList> amendedForms = amended.of("020");
        QCOMPARE(amendedForms.mid(0, 2), forms);
        QCOMPARE(amendedForms.size(), 3);
        QCOMPARE(amendedForms[2].value(4), QStringLiteral("Remitos"));
        QCOMPARE(amendedForms[2].value(5), QStringLiteral("30"));  // CanTalonarios worked out
        QCOMPARE(amendedForms[2][FormAnio], QStringLiteral("2024"));
        QCOMPARE(amendedForms[2][FormAnulado], QStringLiteral("N"));

        QList<QStringList> machines = first.of("030");
        for (QStringList& r : machines) {
            r[MachineAnio] = QStringLiteral("2024");
            r[MachineAnticipo] = QStringLiteral("07");
        }
        machines[0][MachineAnulado] = QStringLiteral("S");
        const QList<QStringList> amendedMachines = amended.of("030");
        QCOMPARE(amendedMachines.mid(0, 2), machines);
        QCOMPARE(amendedMachines.size(), 3);
        QCOMPARE(amendedMachines[2].value(5), QStringLiteral("RX-900"));
        QCOMPARE(amendedMachines[2][MachineAnulado], QString());

        QList<QStringList> clients = first.of("040");
        QCOMPARE(amended.of("040").size(), clients.size() + 1);
        QVERIFY(amended.of("040").contains(
            QStringList{"040", fixture::cuitFor(44444444), "ZETA NUEVO SRL", "", "", "", "", ""}));

        // The printout: totals without the voided form, machines without the voided one; the
        // machine added with an empty flag counts.
        QStringList printed = reportRows();
        printed.sort();
        QCOMPARE(printed,
                 (QStringList{"Facturas B/150/AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", "REGISTRA/12/RX-500",
                              "REGISTRA/12/RX-900", "Remitos/30/AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"}));
    }

    // Drive A: in the amendment: after "Inserte un diskette" the folder list is back on the
    // default; no room stops before the amendment is closed.
    void amendmentToTheDiskette()
    {
        fileFirst();
        const QString driveA = p().folder.file("disquete");
        QVERIFY(QDir().mkpath(driveA + "/SUB"));
        {
            QSettings settings(p().folder.config().filePath(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Drives/A"), driveA);
        }
        qint64 room = 50250;
        destination::setFreeSpaceReader([&](const QString&) { return room; });
        openAmendment();
        m_script = {{"FAnular", setFlag("S")}};
        FGenRec->BitBtn3->click();

        FGenRec->GroupBox4->DirectoryListBox1->setDirectory(QStringLiteral("A:\\SUB"));
        p().prompt.answer(PromptButton::Yes);
        FGenRec->BitBtn1->click();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, QStringLiteral("Inserte un diskette"),
                                                  QStringLiteral("No hay suficiente espacio en el disco")}));
        QCOMPARE(FGenRec->GroupBox4->destino(), QDir::toNativeSeparators(ddjj()));
        QCOMPARE(number("Rectificativa"), 1.0);
        QVERIFY(m().TAnticipos->isNull("Rec_pre"));
        QVERIFY(FGenRec->isVisible());

        room = 50251;
        p().prompt.clear();
        FGenRec->GroupBox4->DirectoryListBox1->setDirectory(QStringLiteral("A:\\SUB"));
        p().prompt.answer(PromptButton::Yes);
        FGenRec->BitBtn1->click();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, QStringLiteral("Inserte un diskette"), Success}));
        QVERIFY(QFile::exists(QDir(driveA).filePath(QFileInfo(declarationPath()).fileName())));
        QCOMPARE(number("Rec_pre"), 1.0);
    }

    // Enter walks the amendment window's controls like Tab.
    void keyboardAlone()
    {
        fileFirst();
        openAmendment();
        FGenRec->BitBtn1->setFocus();
        QStringList visited;
        // Tab, Enter in the grid, Tab, Tab, Enter in the grid: buttons are only passed by Tab.
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}) {
            visited << QApplication::focusWidget()->objectName();
            keyboard::press(key);
        }
        visited << QApplication::focusWidget()->objectName();
        QCOMPARE(visited, (QStringList{"BitBtn1", "DBGrid1", "BitBtn3", "BitBtn5", "DBGrid2", "BitBtn4"}));
        QVERIFY(p().shown.isEmpty());
    }
};

QTEST_MAIN(TestAmendment)
#include "tst_amendment.moc"
