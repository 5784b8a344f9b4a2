#pragma once

#include <QCheckBox>

class FieldLink;
namespace store {
class Dataset;
}

// A check box bound to a one-character flag: checked writes "S", unchecked "N", at once.
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& text, QWidget* parent = nullptr);

    void setDataField(store::Dataset* dataset, const QString& field);
    static const QString Checked;
    static const QString Unchecked;

private:
    FieldLink* m_link;
};
