#include "PeriodListDialog.h"

#include "WindowFiling.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

PeriodListDialog::PeriodListDialog(const char* name, const QString& caption, const QString& openCaption,
                                   const QString& leaveCaption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setFixedSize(330, 380);

    GroupBox1 = new QGroupBox(caption, this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBGrid1 = new DBGrid(GroupBox1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataset(DModulo->TAnticipos,
                        {{QStringLiteral("Anio"), QStringLiteral("Año"), 6, GridColumn::Format::Plain},
                         {QStringLiteral("Anticipo"), QStringLiteral("Anticipo"), 8, GridColumn::Format::Right},
                         {QStringLiteral("Rectificativa"), QStringLiteral("Rec."), 5, GridColumn::Format::Plain}});
    DBGrid1->setReadOnly(true);
    BitBtn1 = parts::button("BitBtn1", openCaption, glyph::view(), this);
    BitBtn2 = parts::button("BitBtn2", leaveCaption, glyph::leave(), this);

    auto* inGroup = new QVBoxLayout(GroupBox1);
    inGroup->addWidget(DBGrid1);
    m_buttons = new QHBoxLayout;
    m_buttons->addWidget(BitBtn1);
    m_buttons->addStretch(1);
    m_buttons->addWidget(BitBtn2);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(GroupBox1);
    whole->addLayout(m_buttons);

    EnterAsTab::setTabChain({DBGrid1, BitBtn1, BitBtn2});
    EnterAsTab::install(this);
    connect(DBGrid1, &DBGrid::rowDoubleClicked, this, guarded(this, &PeriodListDialog::BitBtn1Click));
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &PeriodListDialog::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &PeriodListDialog::BitBtn2Click));
}

void PeriodListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void PeriodListDialog::addButton(QPushButton* button)
{
    const int stretch = m_buttons->count() - 2;  // the stretch stands before the leave button
    QWidget* before = m_buttons->itemAt(stretch - 1)->widget();
    m_buttons->insertWidget(stretch, button);
    EnterAsTab::setTabChain({before, button, BitBtn2});
}

bool PeriodListDialog::hasPeriod()
{
    if (!DModulo->TAnticipos->isEmpty())
        return true;
    Prompt::current().notice(QStringLiteral("No hay Anticipos Generados"));
    return false;
}

void PeriodListDialog::showCurrentPeriod()
{
    const store::Dataset* period = DModulo->TAnticipos;
    filing::showPeriod(*DModulo, period->text(QStringLiteral("Anio")), period->text(QStringLiteral("Anticipo")));
}

void PeriodListDialog::BitBtn1Click()
{
    if (hasPeriod())
        openPeriod();
}

void PeriodListDialog::BitBtn2Click() { close(); }
