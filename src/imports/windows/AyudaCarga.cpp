#include "AyudaCarga.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

FormInstance<TAyCarga> AyCarga;

namespace {

QString blanks(int count) { return QString(count, QLatin1Char(' ')); }

}  // namespace

QStringList TAyCarga::lines()
{
    return {
        QStringLiteral("Error 1:      Causa:   Formato Númerico Inválido"),
        blanks(18) + QStringLiteral("Acción: El Formato numerico debe ser ####.## (Ej. 12547.45)"),
        QString(),
        QStringLiteral("Error 3:      Causa:   Error Númerico"),
        blanks(18) + QStringLiteral("Acción: Chequear los distintos Importes"),
        QString(),
        QStringLiteral("Error 4:      Causa:   Faltan Datos Obligatorios"),
        blanks(18) + QStringLiteral("Acción: No existen valores para algun/os campos."),
        QString(),
        QStringLiteral("Error 5:      Causa:   Numero de CUIT Inválido"),
        blanks(18) + QStringLiteral("Acción: Según el chequeo de CUIT el  mismo NO ES CORRECTO"),
        blanks(23),
        QStringLiteral("Error 6:      Causa:   El Contribuyente no Existe"),
        blanks(18) + QStringLiteral("Acción: Debe Ingresar los Datos del Contribuyente "),
        blanks(31) + QStringLiteral("antes de cargar la declaración Jurada"),
        QString(),
        QStringLiteral("Error 7:      Causa: El número desde es mayor que número hasta"),
        blanks(17) + QStringLiteral("Acción:Corregir números."),
        blanks(20),
        QStringLiteral("Error 8:     Causa: El campo Anulado no posee un valor valido"),
        blanks(17) + QStringLiteral("Acción:El campo Anulado debe ser (\"S\" o \"N\")"),
        QString(),
        QStringLiteral("Error 9:     Causa: El campo Retención Sufrida no posee un valor valido"),
        blanks(17) + QStringLiteral("Acción:El campo Retención Sufrida debe ser (\"S\" o \"N\")"),
    };
}

TAyCarga::TAyCarga(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AyCarga"));
    setPlacement(Placement::Screen);
    setWindowTitle(QStringLiteral("Ayuda"));
    setFixedSize(560, 500);

    GroupBox1 = new QGroupBox(QStringLiteral("Errores"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(10, 8, 540, 436);
    ListBox1 = new QListWidget(GroupBox1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(12, 24, 516, 400);
    ListBox1->addItems(lines());

    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(230, 456, 100, 32);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}
