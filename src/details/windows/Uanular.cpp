#include "Uanular.h"

#include "EntrySave.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/FormTypes.h"
#include "details/PeriodRows.h"
#include "details/RowRules.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

FormInstance<TFAnular> FAnular;

namespace {

// The boxes in tab order, each with the field of TVerDetalles it shows.
constexpr EntryField Fields[] = {
    {"DBEdit1", "Fecha", "Fecha", true},
    {"DBComboBox1", "Anulado", "Anulado", false},
    {"DBLookupComboBox1", "Razon_Social", "Razón Social", true},
    {"DBLookupComboBox2", "Cuit", "Cuit", true},
    {"DBComboBox2", "Tipo_comprobante", "Tipo de Comprobante", true},
    {"DBEdit2", "NDesde", "Número Desde", true},
    {"DBEdit4", "NHasta", "Número Hasta", true},
    {"DBEdit5", "Punto_Venta", "Punto de Venta o Emisión", false},
    {"BitBtn1"},
    {"BitBtn2"},
};

}  // namespace

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

void layOut(QGridLayout* grid, const QList<EntryLine>& lines)
{
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    QLabel* flag = lines[1].label;
    QFont font = flag->font();
    font.setBold(true);
    flag->setFont(font);
    flag->setStyleSheet(QStringLiteral("color: #c01c1c;"));
    grid->addWidget(lines[0].label, 0, 0);
    grid->addWidget(lines[0].control, 0, 1, Qt::AlignLeft);
    grid->addWidget(flag, 0, 2, Qt::AlignRight);
    grid->addWidget(lines[1].control, 0, 3, Qt::AlignLeft);
    int row = 1;
    for (const EntryLine& line : lines.mid(2)) {
        grid->addWidget(line.label, row, 0);
        if (line.control->maximumWidth() == QWIDGETSIZE_MAX)
            grid->addWidget(line.control, row, 1, 1, 3);
        else
            grid->addWidget(line.control, row, 1, 1, 3, Qt::AlignLeft);
        ++row;
    }
    grid->setRowStretch(row, 1);  // the room left goes below the last line
}

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

    amendment::layOut(new QGridLayout(GroupBox1), entrytable::lines(GroupBox1, this, Fields));

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

    entrytable::chain(this, Fields);

    // As the form was drawn; the caller sets the mode before showing it.
    for (QWidget* fixed : std::initializer_list<QWidget*>{DBEdit1, DBLookupComboBox2, DBEdit2, DBEdit4, DBEdit5})
        parts::setReadOnly(fixed, true);

    if (DModulo)
        entrytable::bind(this, Fields, DModulo->TVerDetalles);

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
    if (entrysave::save(*this, Fields, *DModulo->TVerDetalles, rowrules::completeFiledFormsRow,
                        amendment::postToPeriod))
        accept();
}

void TFAnular::BitBtn2Click() { entrysave::cancel(*this, *DModulo->TVerDetalles); }
