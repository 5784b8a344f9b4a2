#pragma once

#include <QLineEdit>

class FieldLink;
namespace store {
class Dataset;
}

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
