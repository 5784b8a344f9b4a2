// Filed periods: the list of them, the re-issue, and the amended declaration with its voids and
// additions, compared record by record with the first filing of the same period.

#include "../details/DetailFixture.h"
#include "Keyboard.h"
#include "declaration/Destination.h"
#include "declaration/windows/DeclarationPdfDialog.h"
#include "declaration/windows/DestinationGroup.h"
#include "declaration/windows/UGenRect.h"
#include "declaration/windows/URecVer.h"
#include "declaration/windows/UReporte.h"
#include "declaration/windows/UVer.h"
#include "declaration/windows/UVerDetalle.h"
#include "declaration/windows/WindowFiling.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/DirectoryListBox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPushButton>
#include <QSettings>

using fixture::Period;

namespace {

const QString Confirm = QStringLiteral("Al Generar, Luego no Podrá Continuar Modificando la Actual Rectificativa");
const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");

// One line of the declaration file cut into its fields, quotes taken off.
QStringList fields(const QByteArray& line)
{
    QStringList out;
    QString current;
    bool quoted = false;
    const QString text = QString::fromLatin1(line);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('\'') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\'')) {
                current += c;
                ++i;
            } else if (c == QLatin1Char('\'')) {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('\'')) {
            quoted = true;
        } else if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
            out << current;
            current.clear();
        } else if (c != QLatin1Char('\r')) {
            current += c;
        }
    }
    if (!current.isEmpty())
        out << current;
    return out;
}

struct Declaration {
    QByteArray header, verification;
    QList<QStringList> records;  // every record line after the first two, "Eof" excluded
    bool endsWithEof = false;

    static Declaration read(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("no declaration at %s", qPrintable(path));
        QList<QByteArray> lines = file.readAll().split('\n');
        Declaration d;
        d.header = lines.value(0);
        d.verification = lines.value(1);
        d.endsWithEof = lines.size() >= 2 && lines.last().isEmpty() && lines[lines.size() - 2] == "Eof\r";
        for (int i = 2; i < lines.size() - 2; ++i)
            d.records << fields(lines[i]);
        return d;
    }

    QList<QStringList> of(const QString& type) const
    {
        QList<QStringList> out;
        for (const QStringList& r : records)
            if (r.value(0) == type)
                out << r;
        return out;
    }
};

// Field positions in the row records, counting the record type as 0.
const int FormAnio = 8, FormAnticipo = 9, FormAnulado = 11;
const int MachineAnio = 7, MachineAnticipo = 8, MachineAnulado = 12;

}  // namespace

class TestRefiling : public QObject {
    Q_OBJECT

    std::unique_ptr<Period> m_period;
    Period& p() { return *m_period; }
    TDModulo& m() { return p().m(); }
    QList<std::pair<QString, std::function<void(QDialog&)>>> m_script;  // what the user does in each dialog

    QString ddjj() { return QDir(m().aliasFolder()).filePath(QStringLiteral("ddjj")); }
    QString declarationPath()
    {
        return QDir(ddjj()).filePath(m().TImprentas->text("Cuit") + QStringLiteral("202407.imp"));
    }

    double number(const char* field) { return m().TAnticipos->asFloat(QString::fromLatin1(field)); }

    // The first filing of 2024/07 through the generate form, with two printed-forms rows and two
    // machines open; answers the file it wrote, kept aside.
    Declaration fileFirst()
    {
        for (const double hasta : {50.0, 150.0}) {
            store::Dataset* ds = m().TVerDetalles;
            ds->insert();
            ds->setText("Fecha", "10/07/2024");
            ds->setValue("Cliente", p().clientId(fixture::AlfaName));
            ds->setText("Tipo_comprobante", hasta < 100 ? "Facturas A" : "Facturas B");
            ds->setValue("NDesde", 1.0);
            ds->setValue("NHasta", hasta);
            ds->setValue("CanTalonarios", hasta);
            ds->setText("Anulado", "N");
            ds->post();
        }
        for (const char* model : {"RX-441", "RX-500"}) {
            store::Dataset* mq = m().TVerMaquinas;
            mq->insert();
            mq->setValue("Fecha", QDate(2024, 7, 11));
            mq->setValue("Cliente_id", p().clientId(fixture::BetaName));
            mq->setText("Marca", "REGISTRA");
            mq->setText("Modelo", model);
            mq->setValue("Precio", 1500.0);
            mq->post();
        }
        m().TAnticipos->insert();
        Period::showActive(*FPresentaciones);
        m().TAnticipos->setText("Anio", "2024");
        m().TAnticipos->setText("Anticipo", "07");
        FPresentaciones->BitBtn1->click();
        if (p().prompt.texts() != QStringList{Confirm, Success})
            qFatal("the first filing failed: %s", qPrintable(p().prompt.texts().join(" / ")));
        p().prompt.clear();
        QFile::copy(declarationPath(), p().folder.file("first.imp"));
        return Declaration::read(p().folder.file("first.imp"));
    }

    // Opens the amendment window of the current period as "Rectificativa" does, and lets the
    // script act in the dialogs it opens.
    void openAmendment()
    {
        filing::showPeriod(m(), m().TAnticipos->text("Anio"), m().TAnticipos->text("Anticipo"));
        Period::showActive(*FGenRec);
        p().whileShown = [this](QDialog& dialog) {
            if (m_script.isEmpty() || m_script.first().first != dialog.objectName()) {
                qWarning("unexpected dialog %s", qPrintable(dialog.objectName()));
                return;
            }
            auto action = m_script.takeFirst().second;
            action(dialog);
        };
    }

    // In the voiding dialog: set the flag and accept.
    static std::function<void(QDialog&)> setFlag(const QString& flag)
    {
        return [flag](QDialog& dialog) {
            auto* list = dialog.findChild<QComboBox*>("DBComboBox1");
            list->setFocus();
            list->lineEdit()->selectAll();
            QTest::keyClicks(list->lineEdit(), flag);
            QTest::keyClick(list, Qt::Key_Tab);
            dialog.findChild<QAbstractButton*>("BitBtn1")->click();
        };
    }

    static void press(QDialog& dialog, const char* button) { dialog.findChild<QAbstractButton*>(button)->click(); }

    QStringList reportRows()
    {
        QStringList rows;
        for (int i = 0; i < m().Qrep->recordCount(); ++i)
            rows << m().Qrep->valueAt(i, "tc").toString() + QLatin1Char('/') + m().Qrep->valueAt(i, "cant").toString() +
                        QLatin1Char('/') + m().Qrep->valueAt(i, "temp").toString();
        return rows;
    }

private slots:
    void init()
    {
        m_period = std::make_unique<Period>();
        QReporte = new TQReporte;
        QReporte->setPrinterFactory([this](const QString&) -> std::unique_ptr<QPagedPaintDevice> {
            return std::make_unique<QPdfWriter>(p().folder.file(QStringLiteral("impreso.pdf")));
        });
        FVerDetalles = new TFVerDetalles;
        FVer = new TFVer;
        FAnular = new TFAnular;
        FAnulaMaquina = new TFAnulaMaquina;
        FGenRec = new TFGenRec;
        Frecver = new TFrecver;
        m_script.clear();
    }

    void cleanup()
    {
        destination::setFreeSpaceReader({});
        delete Frecver;
        Frecver = nullptr;
        delete FGenRec;
        FGenRec = nullptr;
        delete FAnulaMaquina;
        FAnulaMaquina = nullptr;
        delete FAnular;
        FAnular = nullptr;
        delete FVer;
        FVer = nullptr;
        delete FVerDetalles;
        FVerDetalles = nullptr;
        delete QReporte;
        QReporte = nullptr;
        m_period.reset();
    }

    // "Ver" shows the current period's rows in the period window; with no period filed the
    // amendment list opens nothing.
    void listOpensThePeriod()
    {
        Period::showActive(*Frecver);
        Frecver->BitBtn1->click();
        QCOMPARE(p().prompt.texts(), QStringList{"No hay Anticipos Generados"});
        QVERIFY(p().shown.isEmpty());
        Frecver->close();
        p().prompt.clear();

        fileFirst();
        Period::showActive(*FVer);
        QCOMPARE(FVer->DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Año"));
        QCOMPARE(FVer->DBGrid1->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Rec."));
        QCOMPARE(FVer->DBGrid1->model()->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        QVERIFY(!(FVer->DBGrid1->model()->flags(FVer->DBGrid1->model()->index(0, 0)) & Qt::ItemIsEditable));
        int formRows = -1, machineRows = -1;
        QString destino;
        p().whileShown = [&](QDialog&) {
            formRows = FVerDetalles->DBGrid1->model()->rowCount();
            machineRows = FVerDetalles->DBGrid2->model()->rowCount();
            destino = FVerDetalles->GroupBox4->destino();
        };
        emit FVer->DBGrid1->rowDoubleClicked();
        QCOMPARE(p().shown, QStringList{"FVerDetalles"});
        QCOMPARE(formRows, 2);
        QCOMPARE(machineRows, 2);
        QCOMPARE(destino, QDir::toNativeSeparators(ddjj()));
        QCOMPARE(m().TVerDetalles->filter(), QStringLiteral("anio='2024' and Anticipo='07'"));
        QVERIFY(FVer->isVisible());
        FVer->close();

        p().shown.clear();
        p().whileShown = {};
        Period::showActive(*Frecver);
        Frecver->BitBtn1->click();
        QCOMPARE(p().shown, QStringList{"FGenRec"});
    }

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

    // "Declaración en PDF…": the kept PDF opened in the viewer, made again when it is missing,
    // and saved where the user says.
    void pdfOfAFiledPeriod()
    {
        fileFirst();
        const QString kept = QString(declarationPath()).replace(QStringLiteral(".imp"), QStringLiteral(".pdf"));
        QList<QUrl> opened;
        DeclarationPdfDialog::setViewer([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        DeclarationPdfDialog dialog;
        dialog.show();
        dialog.BitBtn1->click();
        QCOMPARE(opened, QList{QUrl::fromLocalFile(kept)});

        QVERIFY(QFile::remove(kept));
        dialog.BitBtn1->click();
        QCOMPARE(opened.size(), 2);
        QVERIFY(QFile::exists(kept));

        const QString copy = p().folder.file(QStringLiteral("copia.pdf"));
        p().prompt.answerFile(copy);
        dialog.BitBtn3->click();
        QFile a(kept), b(copy);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
        QCOMPARE(p().prompt.texts().last(), QStringLiteral("La declaración quedó guardada en %1.").arg(copy));
        DeclarationPdfDialog::setViewer({});
    }

    void regenerate_data()
    {
        QTest::addColumn<bool>("amending");
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<double>("recPre");
        QTest::newRow("no amendment: no question") << false << PromptButton::None << 0.0;
        QTest::newRow("amendment, No: stays open") << true << PromptButton::No << 0.0;
        QTest::newRow("amendment, Yes: closed") << true << PromptButton::Yes << 1.0;
    }

    // "Re-Generar" asks only with an amendment in preparation; the file carries the number in
    // preparation whatever the answer.
    void regenerate()
    {
        QFETCH(bool, amending);
        QFETCH(PromptButton, answer);
        QFETCH(double, recPre);
        const Declaration first = fileFirst();
        // The first filing's PDF, spoilt here so that a re-issue that replaces it shows.
        const QString firstPdf = QString(declarationPath()).replace(QStringLiteral(".imp"), QStringLiteral(".pdf"));
        QVERIFY(QFile::exists(firstPdf));
        const QByteArray spoilt = "no es un PDF";
        {
            QFile pdf(firstPdf);
            QVERIFY(pdf.open(QIODevice::WriteOnly) && pdf.write(spoilt) == spoilt.size());
        }
        if (amending) {
            openAmendment();
            m_script = {{"FAnular", setFlag("S")}};
            FGenRec->BitBtn3->click();
            FGenRec->close();
            p().prompt.answer(answer);
        }
        Period::showActive(*FVerDetalles);
        FVerDetalles->BitBtn1->click();

        // A re-issue replaces the period's PDF; an amendment has a file of its own and leaves
        // the first filing's as it was.
        const QString reissuedPdf =
            amending ? QString(firstPdf).replace(QStringLiteral(".pdf"), QStringLiteral("-R1.pdf")) : firstPdf;
        QFile pdf(reissuedPdf);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
        if (amending) {
            QFile kept(firstPdf);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), spoilt);
        }

        const QStringList expected = amending ? QStringList{Confirm, Success} : QStringList{Success};
        QCOMPARE(p().prompt.texts(), expected);
        if (amending)
            QCOMPARE(p().prompt.shown().first().buttons, PromptButtons::YesNo);
        QVERIFY(!FVerDetalles->isVisible());
        QCOMPARE(m().TAnticipos->asFloat("Rec_pre"), recPre);
        // The re-issue beside the first filing: the same lines but for the amendment number, the
        // rows' period fields and the flag of the row voided meanwhile.
        const Declaration reissued = Declaration::read(declarationPath());
        QCOMPARE(reissued.header, first.header);
        QCOMPARE(reissued.verification, first.verification);
        QVERIFY(reissued.endsWithEof);
        QList<QStringList> expectedRecords = first.records;
        for (QStringList& r : expectedRecords) {
            if (r[0] == QLatin1String("000"))
                r[3] = amending ? QStringLiteral("1") : QStringLiteral("0");
            if (r[0] == QLatin1String("020")) {
                r[FormAnio] = QStringLiteral("2024");
                r[FormAnticipo] = QStringLiteral("07");
            }
            if (r[0] == QLatin1String("030")) {
                r[MachineAnio] = QStringLiteral("2024");
                r[MachineAnticipo] = QStringLiteral("07");
            }
        }
        if (amending)
            expectedRecords[2][FormAnulado] = QStringLiteral("S");  // the first printed-forms row
        QCOMPARE(reissued.records, expectedRecords);
        // With the answer No the amendment is still open: a further void keeps its number.
        if (answer == PromptButton::No) {
            openAmendment();
            m_script = {{"FAnular", setFlag("N")}};
            FGenRec->BitBtn3->click();
            QCOMPARE(number("Rectificativa"), 1.0);
        }
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

QTEST_MAIN(TestRefiling)
#include "tst_refiling.moc"
