#include "UDetalleG.h"

#include "UCDetalles.h"
#include "UGMaquinas.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ModalDialog.h"
#include "widgets/StandardError.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

FormInstance<TFDetalle> FDetalle;

namespace {

// A button with its glyph above the caption.
QToolButton* sideButton(const char* name, const QString& caption, const QIcon& icon, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setIcon(icon);
    b->setIconSize(QSize(28, 28));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setFixedSize(92, 64);
    return b;
}

QPushButton* bottomButton(const char* name, const QString& caption, const QIcon& icon, QWidget* parent)
{
    auto* b = new QPushButton(icon, caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIconSize(QSize(24, 24));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TFDetalle::TFDetalle(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FDetalle"));
    setPlacement(Placement::Screen);
    setWindowTitle(QStringLiteral("Detalle de Presentación"));
    setFixedSize(788, 435);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(8, 8, 772, 370);
    QWidget* forms = createPage(QStringLiteral("TabSheet1"), QStringLiteral("Formularios"), DBGrid1, "DBGrid1",
                                "BitBtn1", "BitBtn2", "BitBtn3");
    GroupBox1 = forms->findChild<QGroupBox*>();
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    BitBtn1 = forms->findChild<QToolButton*>(QStringLiteral("BitBtn1"));
    BitBtn2 = forms->findChild<QToolButton*>(QStringLiteral("BitBtn2"));
    BitBtn3 = forms->findChild<QToolButton*>(QStringLiteral("BitBtn3"));
    PageControl1->addTab(forms, QStringLiteral("Detalle de Formularios"));
    QWidget* machines = createPage(QStringLiteral("TabSheet2"), QStringLiteral("Máquinas"), DBGrid2, "DBGrid2",
                                   "BitBtn6", "BitBtn7", "BitBtn8");
    GroupBox2 = machines->findChild<QGroupBox*>();
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    BitBtn6 = machines->findChild<QToolButton*>(QStringLiteral("BitBtn6"));
    BitBtn7 = machines->findChild<QToolButton*>(QStringLiteral("BitBtn7"));
    BitBtn8 = machines->findChild<QToolButton*>(QStringLiteral("BitBtn8"));
    PageControl1->addTab(machines, QStringLiteral("Detalle de Máquinas"));
    PageControl1->setCurrentIndex(0);

    BitBtn4 = bottomButton("BitBtn4", QStringLiteral("Generar"), glyph::generate(), this);
    BitBtn4->setGeometry(8, 390, 300, 38);
    BitBtn5 = bottomButton("BitBtn5", QStringLiteral("Salir"), glyph::leave(), this);
    BitBtn5->setGeometry(680, 390, 100, 38);

    if (DModulo) {
        DBGrid1->setDataset(DModulo->TDetalles,
                            {{QStringLiteral("Fecha"), QStringLiteral("Fecha")},
                             {QStringLiteral("Razon_social"), QStringLiteral("Razon Social")},
                             {QStringLiteral("cuit"), QStringLiteral("Cuit")},
                             {QStringLiteral("Tipo_comprobante"), QStringLiteral("Tipo de Comprobante")},
                             {QStringLiteral("NDesde"), QStringLiteral("N° Desde")},
                             {QStringLiteral("NHasta"), QStringLiteral("N° Hasta")}});
        DBGrid2->setDataset(DModulo->TMaquinas,
                            {{QStringLiteral("Fecha"), QStringLiteral("Fecha")},
                             {QStringLiteral("RazonSocial"), QStringLiteral("RazonSocial")},
                             {QStringLiteral("Cuit"), QStringLiteral("Cuit")},
                             {QStringLiteral("Marca"), QStringLiteral("Marca")},
                             {QStringLiteral("Modelo"), QStringLiteral("Modelo")},
                             {QStringLiteral("Precio"), QStringLiteral("Precio"), 0, GridColumn::Format::Money}});
    }
    // The names keep their designed widths in pixels; the date and the C.U.I.T. keep theirs
    // unless the grid's own, which never cuts a whole value or a title, is wider; the other
    // columns take the grid's own.
    DBGrid1->setColumnWidth(1, 92);
    DBGrid1->setColumnWidth(3, 169);
    DBGrid2->widenColumn(0, 70);
    DBGrid2->setColumnWidth(1, 126);
    DBGrid2->widenColumn(2, 83);
    DBGrid2->setColumnWidth(3, 117);
    DBGrid2->setColumnWidth(4, 116);

    connect(BitBtn1, &QToolButton::clicked, this, guarded(this, &TFDetalle::BitBtn1Click));
    connect(BitBtn2, &QToolButton::clicked, this, guarded(this, &TFDetalle::BitBtn2Click));
    connect(BitBtn3, &QToolButton::clicked, this, guarded(this, &TFDetalle::BitBtn3Click));
    connect(BitBtn6, &QToolButton::clicked, this, guarded(this, &TFDetalle::BitBtn6Click));
    connect(BitBtn7, &QToolButton::clicked, this, guarded(this, &TFDetalle::BitBtn7Click));
    connect(BitBtn8, &QToolButton::clicked, this, guarded(this, &TFDetalle::BitBtn8Click));
    connect(BitBtn4, &QPushButton::clicked, this, guarded(this, &TFDetalle::BitBtn4Click));
    connect(BitBtn5, &QPushButton::clicked, this, guarded(this, &TFDetalle::BitBtn5Click));
    // Enter presses the focused button, as in every window of the program.
    EnterAsTab::install(this);
    // A double click anywhere in a grid, an empty one included, acts as its "Modificar".
    DBGrid1->viewport()->installEventFilter(this);
    DBGrid2->viewport()->installEventFilter(this);
}

QWidget* TFDetalle::createPage(const QString& name, const QString& group, DBGrid*& grid, const char* gridName,
                               const char* modify, const char* insert, const char* remove)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* box = new QGroupBox(group, page);
    grid = new DBGrid(box);
    grid->setObjectName(QString::fromLatin1(gridName));
    // The designed column widths suit an 8-point font of Arial's metrics.
    QFont small(QStringLiteral("Arial"), 8);
    small.setStyleHint(QFont::SansSerif);
    grid->setFont(small);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->setReadOnly(true);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(grid);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(14);
    buttons->addSpacing(10);
    buttons->addWidget(sideButton(modify, QStringLiteral("Modificar"), glyph::modify(), page));
    buttons->addWidget(sideButton(insert, QStringLiteral("Insertar"), glyph::insert(), page));
    buttons->addWidget(sideButton(remove, QStringLiteral("Borrar"), glyph::remove(), page));
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(10);
    layout->addWidget(box, 1);
    layout->addLayout(buttons);
    return page;
}

bool TFDetalle::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == DBGrid1->viewport())
            runHandler([this] { BitBtn1Click(); });
        else if (watched == DBGrid2->viewport())
            runHandler([this] { BitBtn6Click(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TFDetalle::BitBtn1Click()
{
    // On an empty list this starts a new row.
    DModulo->TDetalles->edit();
    showModal(*FCDetalles);
}

void TFDetalle::BitBtn2Click()
{
    DModulo->TDetalles->insert();
    showModal(*FCDetalles);
}

void TFDetalle::BitBtn3Click() { removeCurrent(DModulo->TDetalles); }

void TFDetalle::BitBtn6Click()
{
    DModulo->TMaquinas->edit();
    showModal(*FGMaquina);
}

void TFDetalle::BitBtn7Click()
{
    DModulo->TMaquinas->insert();
    showModal(*FGMaquina);
}

void TFDetalle::BitBtn8Click() { removeCurrent(DModulo->TMaquinas); }

void TFDetalle::removeCurrent(store::Dataset* dataset)
{
    if (dataset->isEmpty())
        return;
    if (Prompt::current().box(QStringLiteral("Desea Eliminar el Detalle"), QStringLiteral("Imprentas"),
                              PromptButtons::YesNo) == PromptButton::Yes)
        dataset->remove();
}

void TFDetalle::BitBtn4Click()
{
    if (DModulo->TImprentas->isEmpty()) {
        Prompt::current().notice(QStringLiteral("Cargue los datos de la Imprenta"));
        return;
    }
    DModulo->TAnticipos->insert();
    emit generateRequested();
    // The generate form posts the period row or cancels it; one it left pending is dropped, so
    // no empty period row is saved by whatever moves the view next.
    if (DModulo->TAnticipos->editing())
        DModulo->TAnticipos->cancel();
}

void TFDetalle::BitBtn5Click() { close(); }
