#pragma once

#include <QLineEdit>

class FieldLink;
namespace store {
class Dataset;
}

// An edit box for a price, shown as ###0.00 (two decimals, a decimal comma). What is typed is
// read by the field as every number is, so "1.234,56" as a grid shows it is taken back.
class DBPriceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBPriceEdit(QWidget* parent = nullptr);

    void setDataField(store::Dataset* dataset, const QString& field);
    FieldLink& link() { return *m_link; }

    static QString editText(const QString& fieldText);  // "1234,5" -> "1234,50"

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
};
