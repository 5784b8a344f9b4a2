#include "DBCheckBox.h"

#include "FieldLink.h"
#include "StandardError.h"

const QString DBCheckBox::Checked = QStringLiteral("S");
const QString DBCheckBox::Unchecked = QStringLiteral("N");

DBCheckBox::DBCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    m_link = new FieldLink(
        this, [this] { return isChecked() ? Checked : Unchecked; },
        [this](const QString& value) { setChecked(value == Checked); });
    connect(this, &QCheckBox::clicked, this, [this] {
        m_link->userChanged();
        runHandler([this] { m_link->writeBack(); });
    });
}

void DBCheckBox::setDataField(store::Dataset* dataset, const QString& field) { m_link->setField(dataset, field); }
