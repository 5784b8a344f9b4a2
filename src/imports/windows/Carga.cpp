#include "Carga.h"

#include "AyudaCarga.h"
#include "ImportWindow.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ModalDialog.h"
#include "widgets/StandardError.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace importdialog;

FormInstance<TCargar> Cargar;

TCargar::TCargar(QWidget* parent) : ImportWindow(parent)
{
    setObjectName(QStringLiteral("Cargar"));
    setWindowTitle(QStringLiteral("Importación de Detalle de Formularios"));
    setFixedSize(440, 448);

    GroupBox1 = new QGroupBox(QStringLiteral("Detalle de la Declaración"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(12, 8, 416, 344);
    label("Label9", QStringLiteral("Posición "), QRect(180, 22, 200, 16), GroupBox1, Qt::AlignCenter);
    label("Label10", QStringLiteral("Desde"), QRect(180, 40, 90, 16), GroupBox1, Qt::AlignCenter);
    label("Label11", QStringLiteral("Hasta"), QRect(290, 40, 90, 16), GroupBox1, Qt::AlignCenter);

    struct Row {
        const char* label;
        QString text;
        QSpinBox** from;
        const char* fromName;
        QSpinBox** to;
        const char* toName;
    };
    const Row rows[] = {
        {"Label2", QStringLiteral("Fecha"), &SE11, "SE11", &SE12, "SE12"},
        {"Label3", QStringLiteral("Razon Social"), &SE17, "SE17", &SE21, "SE21"},
        {"Label4", QStringLiteral("CUIT"), &SE1, "SE1", &SE2, "SE2"},
        {"Label5", QStringLiteral("Tipo\nComprobante"), &SE5, "SE5", &SE6, "SE6"},
        {"Label6", QStringLiteral("N° Desde"), &SE7, "SE7", &SE8, "SE8"},
        {"Label7", QStringLiteral("N° Hasta"), &SE9, "SE9", &SE10, "SE10"},
        {"Label8", QStringLiteral("Punto de Venta\no Emisión"), &SE18, "SE18", &SE22, "SE22"},
    };
    int y = 60;
    for (int i = 0; i < 7; ++i) {
        const Row& row = rows[i];
        const imports::ColumnBounds& bounds = imports::detailColumnBounds()[size_t(i)];
        QLabel* l = label(row.label, row.text, QRect(16, y - 4, 156, 34), GroupBox1);
        *row.from = spinner(row.fromName, QRect(180, y, 90, 26), GroupBox1, bounds.fromMin, bounds.fromMax);
        *row.to = spinner(row.toName, QRect(290, y, 90, 26), GroupBox1, bounds.toMin, bounds.toMax);
        l->setBuddy(*row.from);
        y += 34;
    }

    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(16, 302, 276, 28);
    Edit1->setReadOnly(true);
    BitBtn1 = button("BitBtn1", QStringLiteral("S&eleccionar"), QStyle::SP_DialogOpenButton, QRect(298, 301, 104, 30),
                     GroupBox1);
    BitBtn2 = button("BitBtn2", QStringLiteral("&Cargar"), QStyle::SP_ArrowDown, QRect(12, 364, 140, 36), this);
    BitBtn3 = button("BitBtn3", QStringLiteral("&Salir"), QStyle::SP_DialogCloseButton, QRect(288, 364, 140, 36), this);
    progressLabel = Label1 = label("Label1", QString(), QRect(12, 412, 416, 20), this);

    EnterAsTab::setTabChain({SE11, SE12, SE17, SE21, SE1, SE2, SE5, SE6, SE7, SE8, SE9, SE10, SE18, SE22, Edit1,
                             BitBtn1, BitBtn2, BitBtn3});
    EnterAsTab::install(this);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TCargar::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TCargar::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, guarded<ImportWindow>(this, &ImportWindow::BitBtn3Click));
}

imports::DetailColumns TCargar::columns() const
{
    const auto range = [](const QSpinBox* from, const QSpinBox* to) {
        return imports::Columns{from->value(), to->value()};
    };
    return {range(SE11, SE12), range(SE17, SE21), range(SE1, SE2),  range(SE5, SE6),
            range(SE7, SE8),   range(SE9, SE10),  range(SE18, SE22)};
}

void TCargar::BitBtn1Click()
{
    // Both cases of the suffixes: the file system may tell them apart.
    chooseFile(
        QStringLiteral("Carga de Datos"),
        QStringLiteral("Archivos de Texto (*.txt,*.prn) (*.txt *.TXT *.prn *.PRN);;Todos los Archivos (*.*) (*)"));
}

void TCargar::BitBtn2Click()
{
    imports::DetailOutcome outcome;
    run([&](const imports::ImportHooks& hooks) {
        outcome = imports::importDetails(*DModulo, Prompt::current(), m_fileName, columns(), hooks);
    });
    if (outcome.help && AyCarga) {
        showModal(*AyCarga);
        FormActivate();  // the dialog is active again
    }
}
