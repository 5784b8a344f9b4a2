#include "FiledPeriodWindow.h"

#include "data/Prompt.h"

#include "DestinationGroup.h"
#include "WindowFiling.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogParts.h"
#include "widgets/StandardError.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

DBEdit* display(const QString& field, int width, QWidget* parent, QHBoxLayout* row, const QString& caption,
                const char* name)
{
    auto* edit = parts::named(new DBEdit(parent), name, width);
    parts::setReadOnly(edit, true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setDataField(DModulo->TAnticipos, field);
    auto* label = new QLabel(caption, parent);
    label->setBuddy(edit);
    row->addWidget(label);
    row->addWidget(edit);
    row->addSpacing(16);
    return edit;
}

QGroupBox* gridGroup(const QString& caption, DBGrid*& grid, QVBoxLayout*& buttons, const char* name,
                     const char* gridName, QWidget* parent)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    grid = new DBGrid(group);
    grid->setObjectName(QString::fromLatin1(gridName));
    grid->setReadOnly(true);
    buttons = new QVBoxLayout;
    auto* row = new QHBoxLayout(group);
    row->addWidget(grid, 1);
    row->addLayout(buttons);
    return group;
}

}  // namespace

FiledPeriodWindow::FiledPeriodWindow(const char* name, const QString& caption, const QString& groupCaption,
                                     const QString& generateCaption, const char* defaultButtonName, QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TAnticipos : nullptr)
{
    setObjectName(QString::fromLatin1(name));
    // Both filed-period windows open in the middle of the screen, not at its corner.
    setPlacement(Placement::Screen);
    setWindowTitle(caption);
    setFixedSize(813, 680);

    GroupBox1 = new QGroupBox(groupCaption, this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* header = new QFrame(GroupBox1);
    header->setObjectName(QStringLiteral("Panel1"));
    header->setFrameShape(QFrame::Panel);
    header->setFrameShadow(QFrame::Sunken);
    auto* headerRow = new QHBoxLayout(header);
    DBEdit1 = display(QStringLiteral("Anio"), 60, header, headerRow, QStringLiteral("Año"), "DBEdit1");
    DBEdit2 = display(QStringLiteral("Anticipo"), 40, header, headerRow, QStringLiteral("Anticipo"), "DBEdit2");
    DBEdit3 =
        display(QStringLiteral("Rectificativa"), 40, header, headerRow, QStringLiteral("Rectificativa"), "DBEdit3");
    headerRow->addStretch(1);
    BitBtn1 = parts::button("BitBtn1", generateCaption, glyph::generate(), header);
    headerRow->addWidget(BitBtn1);

    GroupBox2 = gridGroup(QStringLiteral("Formularios"), DBGrid1, formsButtons, "GroupBox2", "DBGrid1", GroupBox1);
    GroupBox3 = gridGroup(QStringLiteral("Maquinas"), DBGrid2, machinesButtons, "GroupBox3", "DBGrid2", GroupBox1);

    GroupBox4 = new DestinationGroup(defaultButtonName, GroupBox1);
    BitBtn2 = parts::button("BitBtn2", QStringLiteral("Salir"), glyph::leave(), GroupBox1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(GroupBox4, 1);
    bottom->addWidget(BitBtn2, 0, Qt::AlignBottom);

    auto* column = new QVBoxLayout(GroupBox1);
    column->addWidget(header);
    column->addWidget(GroupBox2, 4);
    column->addWidget(GroupBox3, 3);
    column->addLayout(bottom, 4);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(8, 8, 8, 8);
    whole->addWidget(GroupBox1);

    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &FiledPeriodWindow::BitBtn2Click));
}

void FiledPeriodWindow::showEvent(QShowEvent* event)
{
    FormDialog::showEvent(event);
    runHandler([this] { GroupBox4->readAliasAndApplyDefault(); });
    BitBtn1->setFocus(Qt::OtherFocusReason);
}

void FiledPeriodWindow::returnedToWindow()
{
    runHandler([this] { GroupBox4->applyDefault(); });
}

bool FiledPeriodWindow::acceptDestination(QString& destino)
{
    destino = GroupBox4->destino();
    return filing::acceptDestination(*DModulo, Prompt::current(), destino, [this] { returnedToWindow(); });
}

void FiledPeriodWindow::BitBtn2Click() { close(); }
