#include "Uanular.h"

#include "EntryEdits.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/FormTypes.h"
#include "details/PeriodRows.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ObligatoryFields.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <utility>

FormInstance<TFAnular> FAnular;

namespace amendment {

namespace {

class FlagValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return input.isEmpty() || input == QLatin1String("S") || input == QLatin1String("N") ? Acceptable : Invalid;
    }
};

}  // namespace

QLabel* flagLabel(QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("Anulado"), parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #c01c1c;"));
    return label;
}

RowGrid::RowGrid(QWidget* labelParent, QGridLayout* grid, QWidget* fecha, QWidget* flag)
    : m_parent(labelParent), m_grid(grid)
{
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    auto* fechaLabel = new QLabel(QStringLiteral("Fecha"), labelParent);
    fechaLabel->setObjectName(QStringLiteral("Label1"));
    QLabel* anulado = flagLabel(labelParent);
    anulado->setObjectName(QStringLiteral("Label2"));
    fechaLabel->setBuddy(fecha);
    anulado->setBuddy(flag);
    grid->addWidget(fechaLabel, m_row, 0);
    grid->addWidget(fecha, m_row, 1, Qt::AlignLeft);
    grid->addWidget(anulado, m_row, 2, Qt::AlignRight);
    grid->addWidget(flag, m_row, 3, Qt::AlignLeft);
    ++m_row;
}

void RowGrid::add(const char* labelName, const QString& caption, QWidget* control, bool wide)
{
    auto* label = new QLabel(caption, m_parent);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setBuddy(control);  // a refused value is told by this label's text
    m_grid->addWidget(label, m_row, 0);
    if (wide)
        m_grid->addWidget(control, m_row, 1, 1, 3);
    else
        m_grid->addWidget(control, m_row, 1, 1, 3, Qt::AlignLeft);
    ++m_row;
}

void RowGrid::finish() { m_grid->setRowStretch(m_row, 1); }

DBComboBox* flagBox(QWidget* parent)
{
    auto* box = parts::named(new DBComboBox(parent), "DBComboBox1", 56);
    box->addItems({QStringLiteral("S"), QStringLiteral("N")});
    box->lineEdit()->setValidator(new FlagValidator(box));
    return box;
}

void postToPeriod(store::Dataset& rows)
{
    if (!periodrows::postToFiledPeriod(*DModulo, Prompt::current(), rows))
        throw store::Abort();
}

}  // namespace amendment

TFAnular::TFAnular(QWidget* parent)
    : FormDialog(parent,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                     Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TVerDetalles : nullptr)
{
    setObjectName(QStringLiteral("FAnular"));
    setWindowTitle(QStringLiteral("Rectificativa"));
    setSizeGripEnabled(true);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBEdit1 = parts::named(new DBDateEdit(GroupBox1), "DBEdit1", 96);
    DBComboBox1 = amendment::flagBox(GroupBox1);
    DBLookupComboBox1 = parts::named(new DBLookupComboBox(GroupBox1), "DBLookupComboBox1", 330);
    DBLookupComboBox2 = parts::named(new DBLookupComboBox(GroupBox1), "DBLookupComboBox2", 150);
    DBComboBox2 = parts::named(new DBComboBox(GroupBox1), "DBComboBox2", 330);
    DBEdit2 = parts::named(new DBEdit(GroupBox1), "DBEdit2", 120);
    DBEdit4 = parts::named(new DBEdit(GroupBox1), "DBEdit4", 120);
    DBEdit5 = parts::named(new DBEdit(GroupBox1), "DBEdit5", 60);
    // The long texts widen with the window.
    for (QWidget* wide : std::initializer_list<QWidget*>{DBLookupComboBox1, DBComboBox2})
        wide->setMaximumWidth(QWIDGETSIZE_MAX);
    DBComboBox2->addItems(formTypes());
    DBComboBox2->setMaxVisibleItems(14);

    auto* grid = new QGridLayout(GroupBox1);
    amendment::RowGrid lines(GroupBox1, grid, DBEdit1, DBComboBox1);
    lines.add("Label3", QStringLiteral("Razón Social"), DBLookupComboBox1, true);
    lines.add("Label4", QStringLiteral("Cuit"), DBLookupComboBox2);
    lines.add("Label5", QStringLiteral("Tipo de Comprobante"), DBComboBox2, true);
    lines.add("Label6", QStringLiteral("Número Desde"), DBEdit2);
    lines.add("Label7", QStringLiteral("Número Hasta"), DBEdit4);
    lines.add("Label8", QStringLiteral("Punto de Venta o Emisión"), DBEdit5);
    lines.finish();

    BitBtn1 = parts::button("BitBtn1", QStringLiteral("Aceptar"), glyph::accept(), this);
    BitBtn2 = parts::button("BitBtn2", QStringLiteral("Cancelar"), glyph::cancel(), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addSpacing(8);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1, 1);
    layout->addLayout(buttons);

    EnterAsTab::setTabChain({DBEdit1, DBComboBox1, DBLookupComboBox1, DBLookupComboBox2, DBComboBox2, DBEdit2, DBEdit4,
                             DBEdit5, BitBtn1, BitBtn2});

    // As the form was drawn; the caller sets the mode before showing it.
    for (QWidget* fixed : std::initializer_list<QWidget*>{DBEdit1, DBLookupComboBox2, DBEdit2, DBEdit4, DBEdit5})
        parts::setReadOnly(fixed, true);

    if (DModulo) {
        store::Dataset* rows = DModulo->TVerDetalles;
        DBEdit1->setDataField(rows, QStringLiteral("Fecha"));
        DBComboBox1->setDataField(rows, QStringLiteral("Anulado"));
        DBLookupComboBox1->setDataField(rows, QStringLiteral("Razon_Social"));
        DBLookupComboBox2->setDataField(rows, QStringLiteral("Cuit"));
        DBComboBox2->setDataField(rows, QStringLiteral("Tipo_comprobante"));
        DBEdit2->setDataField(rows, QStringLiteral("NDesde"));
        DBEdit4->setDataField(rows, QStringLiteral("NHasta"));
        DBEdit5->setDataField(rows, QStringLiteral("Punto_Venta"));
    }

    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFAnular::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFAnular::BitBtn2Click));
    EnterAsTab::install(this);
}

void TFAnular::setMode(RowMode mode)
{
    m_mode = mode;
    const bool voiding = mode == RowMode::Void;
    for (QWidget* control : std::initializer_list<QWidget*>{DBEdit1, DBEdit2, DBEdit4, DBLookupComboBox2, DBEdit5,
                                                            DBLookupComboBox1, DBComboBox2})
        parts::setReadOnly(control, voiding);
}

void TFAnular::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit1->setFocus(Qt::TabFocusReason);
}

void TFAnular::BitBtn1Click()
{
    store::Dataset* ds = DModulo->TVerDetalles;
    if (!ds->editing())
        ds->edit();
    ds->updateRecord();

    if (!obligatoryFieldsFilled(*ds, {{"Fecha", DBEdit1},
                                      {"Razon_Social", DBLookupComboBox1},
                                      {"Cuit", DBLookupComboBox2},
                                      {"Tipo_comprobante", DBComboBox2},
                                      {"NDesde", DBEdit2},
                                      {"NHasta", DBEdit4}}))
        return;

    if (!completeFormNumbers(*ds, DBEdit2))
        return;
    if (ds->text(QStringLiteral("Anulado")).isEmpty())
        ds->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
    amendment::postToPeriod(*ds);
    accept();
}

void TFAnular::BitBtn2Click()
{
    DModulo->TVerDetalles->cancel();
    reject();
}
