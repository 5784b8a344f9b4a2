// Filing the open period through the generate form: the messages in their order, the diskette,
// and the stops that must leave the period pending, the rows open and no file behind.

#include "../details/DetailFixture.h"
#include "Keyboard.h"
#include "PdfText.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "declaration/DeclarationArchive.h"
#include "declaration/Destination.h"
#include "declaration/windows/DestinationGroup.h"
#include "declaration/windows/UReporte.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBGrid.h"
#include "widgets/DirectoryListBox.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

using fixture::Period;

namespace {

const QString Confirm = QStringLiteral("Al Generar, Luego no Podrá Continuar Modificando la Actual Rectificativa");
const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");
const QString Diskette = QStringLiteral("Inserte un diskette");
const QString NoRoom = QStringLiteral("No hay suficiente espacio en el disco");

}  // namespace

class TestPresentaciones : public QObject {
    Q_OBJECT

    std::unique_ptr<Period> m_period;
    bool m_printer = true;  // whether the printer factory gives a printer
    QStringList m_jobs;
    Period& p() { return *m_period; }
    TDModulo& m() { return p().m(); }

    QString ddjj() { return QDir(m().aliasFolder()).filePath(QStringLiteral("ddjj")); }
    QString driveA() { return p().folder.file(QStringLiteral("disquete")); }
    QString fileName(const QString& anticipo = QStringLiteral("07"))
    {
        return m().TImprentas->text(QStringLiteral("Cuit")) + QStringLiteral("2024") + anticipo +
               QStringLiteral(".imp");
    }

    void addOpenRows()
    {
        store::Dataset* ds = m().TVerDetalles;
        ds->insert();
        ds->setText("Fecha", "10/04/2024");
        ds->setValue("Cliente", p().clientId(fixture::AlfaName));
        ds->setText("Tipo_comprobante", "Facturas B");
        ds->setValue("NDesde", 1.0);
        ds->setValue("NHasta", 50.0);
        ds->setValue("CanTalonarios", 50.0);
        ds->post();
        store::Dataset* mq = m().TVerMaquinas;
        mq->insert();
        mq->setValue("Cliente_id", p().clientId(fixture::BetaName));
        mq->setText("Marca", "REGISTRA");
        mq->setText("Modelo", "RX-441");
        mq->setValue("Precio", 1500.0);
        mq->post();
    }

    int openRows(const QString& table)
    {
        store::Database& db = m().Session1_1->database();
        store::Statement stmt(db, QStringLiteral("SELECT count(*) FROM %1 WHERE Anio IS NULL AND Anticipo IS NULL")
                                      .arg(db.qualifiedTable(table)));
        stmt.step();
        return stmt.column(0).toInt();
    }

    void useDriveA()
    {
        QVERIFY(QDir().mkpath(driveA()));
        QSettings settings(p().folder.config().filePath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Drives/A"), driveA());
    }

    // Opens the form on a new pending row, as the workbench does, and types the period.
    void openForm(const QString& anio, const QString& anticipo)
    {
        m().TAnticipos->insert();
        Period::showActive(*FPresentaciones);
        QCOMPARE(keyboard::focusedName(), QStringLiteral("DBComboBox1"));
        retype(FPresentaciones->DBComboBox1, anio);
        retype(FPresentaciones->DBComboBox2, anticipo);
        keyboard::press(Qt::Key_Tab);
    }

    void generate() { FPresentaciones->BitBtn1->click(); }

    // Replaces what a period list shows by typing, as the user does.
    static void retype(DBComboBox* list, const QString& text)
    {
        list->setFocus();
        list->lineEdit()->selectAll();
        QTest::keyClick(list->lineEdit(), Qt::Key_Delete);
        QTest::keyClicks(list->lineEdit(), text);
    }

    // Nothing of the period is stored, the rows are open, no declaration is anywhere.
    void verifyNothingFiled(int openForms, int openMachines)
    {
        QCOMPARE(p().storedRows("anticipos"), 0);
        QCOMPARE(openRows("detalle"), openForms);
        QCOMPARE(openRows("maquina"), openMachines);
        for (const QString& dir : {ddjj(), driveA()})
            QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(m().TAnticipos->editing());
        QVERIFY(FPresentaciones->isVisible());
        QCOMPARE(m_jobs.size(), 0);
    }

private slots:
    void init()
    {
        m_period = std::make_unique<Period>();
        m_printer = true;
        QReporte = new TQReporte;
        m_jobs.clear();
        QReporte->setPrinterFactory([this](const QString& job) -> std::unique_ptr<QPagedPaintDevice> {
            m_jobs << job;
            if (!m_printer)
                return nullptr;
            return std::make_unique<QPdfWriter>(p().folder.file(QStringLiteral("impreso.pdf")));
        });
        m().TImprentas->edit();
        m().TImprentas->setText("Imprentas", "S");
        m().TImprentas->post();
    }

    void cleanup()
    {
        destination::setFreeSpaceReader({});
        delete QReporte;
        QReporte = nullptr;
        m_period.reset();
    }

    // A folder destination: no diskette prompt, the period filed under its padded anticipo,
    // the rows stamped, the report data ready and the form closed. There is no printer: both
    // copies are kept in the PDF archive and the user is told where.
    void filesToTheDefaultFolder()
    {
        m_printer = false;
        addOpenRows();
        openForm(QStringLiteral("2024"), QStringLiteral("7"));
        QCOMPARE(FPresentaciones->GroupBox4->destino(), QDir::toNativeSeparators(ddjj()));
        generate();

        const QString pdf = QDir(ddjj()).filePath(fileName().replace(QStringLiteral(".imp"), QStringLiteral(".pdf")));
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success, archive::noPrinterNotice(pdf)}));
        const PdfText text = PdfText::read(pdf);
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        QCOMPARE(text.pages.size(), 2);
        for (int copy = 0; copy < 2; ++copy) {
            const QString page = text.pages[copy];
            for (const QString& shown :
                 {QStringLiteral("IMPRENTA DEL SOL"), m().TImprentas->text("Cuit"), QStringLiteral("2024"),
                  QStringLiteral("07"), QStringLiteral("Facturas B"), QStringLiteral("REGISTRA"),
                  copy == 0 ? QStringLiteral("Para la D.R.P.") : QStringLiteral("Para el Agente")})
                QVERIFY2(page.contains(shown),
                         qPrintable(QStringLiteral("%1 missing on page %2").arg(shown).arg(copy)));
            QVERIFY(QRegularExpression(QStringLiteral("Facturas B\\s+50\\b")).match(page).hasMatch());
        }
        QCOMPARE(p().prompt.shown().first().icon, PromptIcon::Information);
        QCOMPARE(p().prompt.shown().first().buttons, PromptButtons::Yes);
        QCOMPARE(p().prompt.shown().last().caption, Prompt::applicationTitle());
        QVERIFY(!FPresentaciones->isVisible());
        QCOMPARE(p().storedRows("anticipos"), 1);
        QCOMPARE(m().TAnticipos->text("Anticipo"), QStringLiteral("07"));
        QCOMPARE(openRows("detalle"), 0);
        QCOMPARE(openRows("maquina"), 0);
        QVERIFY(m().TDetalles->isEmpty());
        QVERIFY(m().TMaquinas->isEmpty());
        QVERIFY(m().Qrep->active());
        QCOMPARE(m().Qrep->text("tc"), QStringLiteral("Facturas B"));
        QCOMPARE(m_jobs.size(), 1);  // no printer here: the agent copy is not tried after the office one

        QFile file(QDir(ddjj()).filePath(fileName()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.at(2), QByteArray("'000','2024','07','0';\r"));
        // The rows are written before they are stamped: their period fields are empty.
        QVERIFY(lines.at(4).startsWith("'020',"));
        QVERIFY(lines.at(4).contains(",'','',"));
        QVERIFY(lines.at(5).startsWith("'030',"));
    }

    // The whole round from the workbench: after filing, its lists are empty.
    void workbenchListsEmptyAfterFiling()
    {
        addOpenRows();
        p().whileShown = [this](QDialog& dialog) {
            if (&dialog != FPresentaciones)
                return;
            retype(FPresentaciones->DBComboBox1, QStringLiteral("2024"));
            retype(FPresentaciones->DBComboBox2, QStringLiteral("07"));
            generate();
        };
        Period::showActive(*FDetalle);
        FDetalle->findChild<QAbstractButton*>("BitBtn4")->click();
        QCOMPARE(p().shown, QStringList{"FPresentaciones"});
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        QCOMPARE(FDetalle->findChild<DBGrid*>("DBGrid1")->model()->rowCount(), 0);
        QCOMPARE(FDetalle->findChild<DBGrid*>("DBGrid2")->model()->rowCount(), 0);
        QCOMPARE(p().storedRows("anticipos"), 1);
        QVERIFY(!m().TAnticipos->editing());
    }

    void diskette_data()
    {
        QTest::addColumn<qint64>("freeBytes");  // -2: drive A: not configured
        QTest::addColumn<bool>("filed");
        QTest::newRow("50250 bytes free") << qint64(50250) << false;
        QTest::newRow("50251 bytes free") << qint64(50251) << true;
        QTest::newRow("no diskette in the drive") << qint64(-1) << false;
        QTest::newRow("no drive A: configured") << qint64(-2) << false;
    }

    // Drive A: asks for the diskette after the checks, then needs more than 50250 bytes; a stop
    // leaves nothing filed, and the same press succeeds once there is room.
    void diskette()
    {
        QFETCH(qint64, freeBytes);
        QFETCH(bool, filed);
        if (freeBytes != -2)
            useDriveA();
        QStringList asked;
        destination::setFreeSpaceReader([&](const QString& folder) {
            asked << folder;
            return freeBytes;
        });
        addOpenRows();
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        FPresentaciones->GroupBox4->DirectoryListBox1->showDrive(QLatin1Char('A'));
        QCOMPARE(FPresentaciones->GroupBox4->destino(), QStringLiteral("A:\\"));
        QCOMPARE(FPresentaciones->GroupBox4->DriveComboBox1->drive(), QLatin1Char('A'));
        generate();

        if (!filed) {
            const QStringList texts = p().prompt.texts();
            QCOMPARE(texts.size(), 3);
            QCOMPARE(texts.first(2), (QStringList{Confirm, Diskette}));
            // A drive never set up is told so, with the way to set it up; a full one has no room.
            if (freeBytes == -2)
                QVERIFY2(texts[2].startsWith(QStringLiteral("La unidad A: no está configurada en este equipo")) &&
                             texts[2].contains(QStringLiteral("[Drives]")),
                         qPrintable(texts[2]));
            else
                QCOMPARE(texts[2], NoRoom);
            verifyNothingFiled(1, 1);
            QCOMPARE(FPresentaciones->DBComboBox2->currentText(), QStringLiteral("07"));
            if (freeBytes == -2)
                return;
            // A diskette with room, the same press again.
            freeBytes = 1 << 20;
            p().prompt.clear();
            generate();
        }
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Diskette, Success}));
        QCOMPARE(asked.last(), driveA());
        QVERIFY(QFile::exists(QDir(driveA()).filePath(fileName())));
        QCOMPARE(p().storedRows("anticipos"), 1);
        QCOMPARE(openRows("detalle"), 0);
    }

    // A destination on C: never asks for the diskette nor reads drive A:, even with none there.
    void folderNeverReadsDriveA()
    {
        useDriveA();
        bool read = false;
        destination::setFreeSpaceReader([&](const QString&) {
            read = true;
            return qint64(-1);
        });
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        QVERIFY(!read);
    }

    // A period with no open rows is filed all the same; its file has no row records.
    void periodWithoutRows()
    {
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        QFile file(QDir(ddjj()).filePath(fileName()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(!text.contains("'020'"));
        QVERIFY(!text.contains("'030'"));
        QVERIFY(text.endsWith("Eof\r\n"));
    }

    void refusedBeforeAnyChange_data()
    {
        QTest::addColumn<QString>("anio");
        QTest::addColumn<QString>("anticipo");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("keepsTyped");
        QTest::newRow("no year") << QString() << QStringLiteral("07") << QStringLiteral("Cargar Anio y el Anticipo")
                                 << false;
        QTest::newRow("no anticipo") << QStringLiteral("2024") << QString()
                                     << QStringLiteral("Cargar Anio y el Anticipo") << false;
        QTest::newRow("filed as 07, typed 7") << QStringLiteral("2024") << QStringLiteral("7")
                                              << QStringLiteral("Este Anticipo ya fue Presentado") << true;
        QTest::newRow("filed as 07, typed 07") << QStringLiteral("2024") << QStringLiteral("07")
                                               << QStringLiteral("Este Anticipo ya fue Presentado") << true;
    }

    // Refusals come before anything is stored; the lists then edit a pending row.
    void refusedBeforeAnyChange()
    {
        QFETCH(QString, anio);
        QFETCH(QString, anticipo);
        QFETCH(QString, message);
        QFETCH(bool, keepsTyped);
        store::Dataset* period = m().TAnticipos;
        period->insert();
        period->setText("Anio", "2024");
        period->setText("Anticipo", "07");
        period->post();
        addOpenRows();

        openForm(anio, anticipo);
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, message}));
        QCOMPARE(p().storedRows("anticipos"), 1);
        QCOMPARE(openRows("detalle"), 1);
        QVERIFY(period->editing());
        QCOMPARE(period->text("Anticipo"), keepsTyped ? anticipo : QString());
        QVERIFY(FPresentaciones->isVisible());
        QVERIFY(QDir(ddjj()).isEmpty());

        // Another period from the same form goes through.
        p().prompt.clear();
        retype(FPresentaciones->DBComboBox1, QStringLiteral("2024"));
        retype(FPresentaciones->DBComboBox2, QStringLiteral("08"));
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        QCOMPARE(p().storedRows("anticipos"), 2);
        QCOMPARE(openRows("detalle"), 0);
    }

    // Closing the question by its title bar changes nothing and asks nothing more.
    void questionNotAnsweredYes()
    {
        addOpenRows();
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        p().prompt.answer(PromptButton::None);
        generate();
        QCOMPARE(p().prompt.texts(), QStringList{Confirm});
        verifyNothingFiled(1, 1);
        QCOMPARE(m().TAnticipos->text("Anio"), QStringLiteral("2024"));
    }

    void stopsLeaveNothingBehind_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("control code not decimal") << QStringLiteral("code");
        QTest::newRow("folder gone before writing") << QStringLiteral("folder");
        QTest::newRow("stamping the machines fails") << QStringLiteral("stamp");
    }

    // A failure after the period row was posted undoes it: the error is shown, the period is
    // pending again, the rows are open, no file or part of one is left, and Generar works again.
    void stopsLeaveNothingBehind()
    {
        QFETCH(QString, failure);
        addOpenRows();
        store::Database& db = m().Session1_1->database();
        // A year typed with a letter O: its piece of the control code is no number.
        openForm(failure == QLatin1String("code") ? QStringLiteral("2O24") : QStringLiteral("2024"),
                 QStringLiteral("7"));
        if (failure == QLatin1String("folder"))
            QVERIFY(QDir(ddjj()).removeRecursively());
        if (failure == QLatin1String("stamp"))
            db.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_stamp BEFORE UPDATE ON %1 "
                                   "BEGIN SELECT RAISE(ABORT, 'disco lleno'); END")
                        .arg(db.qualifiedTable(QStringLiteral("maquina"))));
        generate();

        QCOMPARE(p().prompt.texts().size(), 2);
        QCOMPARE(p().prompt.texts().first(), Confirm);
        QCOMPARE(p().prompt.last().caption, Prompt::applicationTitle());
        verifyNothingFiled(1, 1);
        QCOMPARE(m().TAnticipos->text("Anticipo"), QStringLiteral("7"));
        if (failure == QLatin1String("folder"))
            QVERIFY(!QDir(ddjj()).exists());

        // Mend the cause and press again.
        if (failure == QLatin1String("code"))
            retype(FPresentaciones->DBComboBox1, QStringLiteral("2024"));
        if (failure == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(ddjj()));
        if (failure == QLatin1String("stamp"))
            db.exec(QStringLiteral("DROP TRIGGER temp.refuse_stamp"));
        p().prompt.clear();
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
        QVERIFY(QFile::exists(QDir(ddjj()).filePath(fileName())));
        QCOMPARE(openRows("maquina"), 0);
    }

    // A cell of the machines grid typed into before "Generar": the grid takes no typing, and
    // the file, the stamped row and the stored row all hold what was stored before.
    void typedGridCellDoesNotReachTheFiling()
    {
        addOpenRows();
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        DBGrid* grid = FPresentaciones->DBGrid2;
        const QModelIndex modelo = grid->model()->index(0, 4);
        QVERIFY(!(grid->model()->flags(modelo) & Qt::ItemIsEditable));
        grid->setFocus();
        grid->setCurrentIndex(modelo);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(modelo).center());
        keyboard::type(QStringLiteral("CAMBIADO"));
        QVERIFY(!grid->model()->setData(modelo, QStringLiteral("CAMBIADO")));
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));

        QFile file(QDir(ddjj()).filePath(fileName()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("'REGISTRA','RX-441'"));
        QVERIFY(!written.contains("CAMBIADO"));
        store::Database& db = m().Session1_1->database();
        store::Statement stored(
            db,
            QStringLiteral("SELECT Modelo, Anio, Anticipo FROM %1").arg(db.qualifiedTable(QStringLiteral("maquina"))));
        QVERIFY(stored.step());
        QCOMPARE(stored.column(0).toString(), QStringLiteral("RX-441"));
        QCOMPARE(stored.column(1).toString(), QStringLiteral("2024"));
        QCOMPARE(stored.column(2).toString(), QStringLiteral("07"));
        QVERIFY(!stored.step());
    }

    // Printing comes after the filing, and a printer that fails does not undo it.
    void printingFailureKeepsTheFiling()
    {
        addOpenRows();
        QReporte->setPrinterFactory([](const QString&) -> std::unique_ptr<QPagedPaintDevice> {
            throw store::StoreError(store::FileError, QStringLiteral("La impresora no responde."));
        });
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        generate();
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success, QStringLiteral("La impresora no responde.")}));
        QCOMPARE(p().storedRows("anticipos"), 1);
        QCOMPARE(openRows("detalle"), 0);
        QVERIFY(QFile::exists(QDir(ddjj()).filePath(fileName())));
        QVERIFY(!FPresentaciones->isVisible());
    }

    // "Salir" and closing the window drop the pending row.
    void leavingCancelsThePendingRow()
    {
        for (const bool byButton : {true, false}) {
            openForm(QStringLiteral("2024"), QStringLiteral("07"));
            if (byButton)
                FPresentaciones->BitBtn2->click();
            else
                FPresentaciones->close();
            QVERIFY(!FPresentaciones->isVisible());
            QVERIFY(!m().TAnticipos->editing());
            QCOMPARE(p().storedRows("anticipos"), 0);
        }
    }

    // Enter moves from control to control; on "Generar" it presses it.
    void keyboardAlone()
    {
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        FPresentaciones->DBComboBox1->setFocus();
        QStringList visited;
        for (int i = 0; i < 3; ++i) {
            visited << keyboard::focusedName();
            keyboard::press(Qt::Key_Return);
        }
        QCOMPARE(visited, (QStringList{"DBComboBox1", "DBComboBox2", "BitBtn1"}));
        QCOMPARE(p().prompt.texts(), (QStringList{Confirm, Success}));
    }

    // "Carpeta por Defecto" brings the folder list back to ddjj on drive C:.
    void defaultFolderButton()
    {
        openForm(QStringLiteral("2024"), QStringLiteral("07"));
        DestinationGroup* group = FPresentaciones->GroupBox4;
        group->DirectoryListBox1->setDirectory(p().folder.path());
        QCOMPARE(group->destino(), QDir::toNativeSeparators(p().folder.path()));
        group->defaultButton->click();
        QCOMPARE(group->destino(), QDir::toNativeSeparators(ddjj()));
        QCOMPARE(group->DriveComboBox1->drive(), QLatin1Char('C'));
    }
};

QTEST_MAIN(TestPresentaciones)
#include "tst_presentaciones.moc"
