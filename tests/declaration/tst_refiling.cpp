// Filed periods: the list of them, the PDF of one, and the re-issue, compared record by record
// with the first filing of the same period.

#include "RefilingFixture.h"
#include "declaration/windows/DeclarationPdfDialog.h"

using namespace fixture;

class TestRefiling : public QObject, private FiledPeriod {
    Q_OBJECT

private slots:
    void init() { openWindows(); }

    void cleanup() { closeWindows(); }

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
};

QTEST_MAIN(TestRefiling)
#include "tst_refiling.moc"
