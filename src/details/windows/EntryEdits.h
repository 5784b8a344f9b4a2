#pragma once

#include <QLineEdit>

class FieldLink;
class QWidget;
namespace store {
class Dataset;
}

// The form numbers of the printed-forms row being saved: a first number past the last is
// refused with its notice and the focus sent to desdeBox; otherwise the booklet count is set.
bool completeFormNumbers(store::Dataset& rows, QWidget* desdeBox);

// An edit box for a date typed day/month/year under the entry mask: day and month take one or
// two digits, the year four; the '/' are kept in the value and '_' marks what is not typed yet.
// It suits a text field (the value is kept as dd/mm/yyyy text) and a date field (the store
// checks that it is a real calendar date).
class DBDateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBDateEdit(QWidget* parent = nullptr);

    void setDataField(store::Dataset* dataset, const QString& field);
    FieldLink& link() { return *m_link; }

    // What the masked text stands for: empty when nothing was typed, else dd/mm/yyyy with a
    // one-digit day or month given its leading zero. Throws StoreError for a date left half typed.
    static QString normalised(const QString& typed);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
};

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
