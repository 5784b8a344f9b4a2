#pragma once

#include <QLineEdit>

class FieldLink;
namespace store {
class Dataset;
}

// An edit box bound to a field. Upper case turns what is typed to capitals as it is typed.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataField(store::Dataset* dataset, const QString& field);
    void setUpperCase(bool on);
    FieldLink& link() { return *m_link; }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
};
