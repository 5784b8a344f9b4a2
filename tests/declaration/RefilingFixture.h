#pragma once

// The agent, its clients and the period windows with the windows of filed periods, a first filing
// of 2024/07 to compare with, and the declaration file read record by record. Shared by the tests
// of re-issues and of amendments.

#include "../details/DetailFixture.h"
#include "declaration/Destination.h"
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

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPushButton>

namespace fixture {

inline const QString Confirm =
    QStringLiteral("Al Generar, Luego no Podrá Continuar Modificando la Actual Rectificativa");
inline const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");

// One line of the declaration file cut into its fields, quotes taken off.
inline QStringList fields(const QByteArray& line)
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
inline const int FormAnio = 8, FormAnticipo = 9, FormAnulado = 11;
inline const int MachineAnio = 7, MachineAnticipo = 8, MachineAnulado = 12;

class FiledPeriod {
protected:
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

    // The period windows over a new data folder, the report printing into a PDF.
    void openWindows()
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

    void closeWindows()
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
};

}  // namespace fixture
