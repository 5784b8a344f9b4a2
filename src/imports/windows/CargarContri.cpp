#include "CargarContri.h"

#include "ImportWindow.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace importdialog;

FormInstance<TFCargarcont> FCargarcont;

namespace {

const char* const RowLabels[] = {"CUIT",      "Razon Social",  "Ingresos Brutos", "Domicilio",
                                 "Localidad", "Codigo Postal", "Provincia"};

}  // namespace

TFCargarcont::TFCargarcont(QWidget* parent) : ImportWindow(parent)
{
    setObjectName(QStringLiteral("FCargarcont"));
    setWindowTitle(QStringLiteral("Importación de Padrón de Clientes"));
    setFixedSize(440, 432);

    GroupBox1 = new QGroupBox(QStringLiteral("Posiciones para cada campo"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(12, 8, 416, 280);
    label("Label10", QStringLiteral("Posición"), QRect(180, 22, 200, 16), GroupBox1, Qt::AlignCenter);
    label("Label11", QStringLiteral("Desde"), QRect(180, 40, 90, 16), GroupBox1, Qt::AlignCenter);
    label("Label12", QStringLiteral("Hasta"), QRect(290, 40, 90, 16), GroupBox1, Qt::AlignCenter);
    for (int row = 0; row < 7; ++row) {
        const int y = 60 + row * 30;
        const QByteArray labelName = "Label" + QByteArray::number(row + 1);
        QLabel* l = label(labelName.constData(), QString::fromLatin1(RowLabels[row]), QRect(16, y, 150, 24), GroupBox1);
        const QByteArray from = "SE" + QByteArray::number(2 * row + 1);
        const QByteArray to = "SE" + QByteArray::number(2 * row + 2);
        SE[2 * row + 1] = spinner(from.constData(), QRect(180, y, 90, 24), GroupBox1);
        SE[2 * row + 2] = spinner(to.constData(), QRect(290, y, 90, 24), GroupBox1);
        l->setBuddy(SE[2 * row + 1]);
    }

    label("Label8", QStringLiteral("Archivo:"), QRect(12, 296, 80, 18), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(12, 316, 300, 28);
    Edit1->setReadOnly(true);
    BitBtn1 =
        button("BitBtn1", QStringLiteral("S&eleccionar"), QStyle::SP_DialogOpenButton, QRect(320, 315, 108, 30), this);
    BitBtn2 = button("BitBtn2", QStringLiteral("&Cargar"), QStyle::SP_ArrowDown, QRect(12, 358, 140, 36), this);
    BitBtn3 = button("BitBtn3", QStringLiteral("&Salir"), QStyle::SP_DialogCloseButton, QRect(288, 358, 140, 36), this);
    progressLabel = Label9 = label("Label9", QString(), QRect(12, 404, 416, 20), this);

    for (int i = 1; i < 14; ++i)
        QWidget::setTabOrder(SE[i], SE[i + 1]);
    EnterAsTab::setTabChain({SE[14], Edit1, BitBtn1, BitBtn2, BitBtn3});
    EnterAsTab::install(this);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFCargarcont::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFCargarcont::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, guarded<ImportWindow>(this, &ImportWindow::BitBtn3Click));
}

imports::ClientColumns TFCargarcont::columns() const
{
    const auto range = [this](int from) { return imports::Columns{SE[from]->value(), SE[from + 1]->value()}; };
    return {range(1), range(3), range(5), range(7), range(9), range(11), range(13)};
}

void TFCargarcont::BitBtn1Click()
{
    chooseFile(QStringLiteral("Seleccionar Archivo"),
               QStringLiteral("Archivos de Texto (*.prn,*.txt) (*.txt *.prn);;Todos los Archivos (*.*) (*)"));
}

void TFCargarcont::BitBtn2Click()
{
    run([this](const imports::ImportHooks& hooks) {
        imports::importClients(*DModulo, Prompt::current(), m_fileName, columns(), hooks);
    });
}
