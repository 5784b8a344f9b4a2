#include "DestinationGroup.h"

#include "data/UModulo.h"
#include "declaration/Destination.h"
#include "resources/Glyphs.h"
#include "widgets/DialogParts.h"
#include "widgets/DirectoryListBox.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QPushButton>

DestinationGroup::DestinationGroup(const char* defaultButtonName, QWidget* parent)
    : QGroupBox(QStringLiteral("Destino de la Declaración"), parent)
{
    setObjectName(QStringLiteral("GroupBoxDestino"));
    DriveComboBox1 = new DriveComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DirectoryListBox1 = new DirectoryListBox(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setDriveComboBox(DriveComboBox1);
    defaultButton = parts::button(defaultButtonName, QStringLiteral("Carpeta por Defecto"), glyph::folder(), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(DriveComboBox1, 0, 0);
    grid->addWidget(defaultButton, 0, 1, Qt::AlignRight);
    grid->addWidget(DirectoryListBox1, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    connect(defaultButton, &QPushButton::clicked, this, guarded(this, &DestinationGroup::applyDefault));
}

QString DestinationGroup::destino() const { return DirectoryListBox1->directory(); }

void DestinationGroup::readAliasAndApplyDefault()
{
    m_aliasFolder = DModulo->aliasFolder();
    DirectoryListBox1->setAliasConfig(DModulo->config);
    applyDefault();
}

void DestinationGroup::applyDefault()
{
    DriveComboBox1->setDrive(QLatin1Char('C'));
    DriveComboBox1->update();
    DirectoryListBox1->setDirectory(destination::defaultFolder(m_aliasFolder));
    DirectoryListBox1->update();
}
