#pragma once

#include <QComboBox>

class FieldLink;
namespace store {
class Dataset;
}

// An editable drop-down list bound to a field: the user picks an item or types any text.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);

    void setDataField(store::Dataset* dataset, const QString& field);
    FieldLink& link() { return *m_link; }

    // The list opens on the entry of the box's own value (on none when the box is empty), wide
    // enough for its longest entry.
    void showPopup() override;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
};
