#pragma once

#include "data/store/Dataset.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QPointer>

class FieldLink;

// The values of one field of a lookup table with the key of each row, for a drop-down list.
// Nothing is read until the list is first needed; then the pairs are read in one statement and
// sorted ignoring case, so a list of 100,000 clients costs two arrays and no items, and a
// value or a typed beginning is found by binary search. A change to the table drops the list;
// it is read again when next needed.
class LookupListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit LookupListModel(QObject* parent = nullptr);

    // The one list of these values, shared by every drop-down that shows them, so the list is
    // read once for all the dialogs. It belongs to the table's view.
    static LookupListModel* shared(store::Dataset* table, const QString& keyField, const QString& listField);

    void setSource(store::Dataset* table, const QString& keyField, const QString& listField);
    void ensureLoaded();  // throws the store's error when the table cannot be read
    bool loaded() const { return m_loaded; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override;

    const QString& valueAt(int row) const { return m_values.at(row); }
    const QVariant& keyAt(int row) const { return m_keys.at(row); }
    // First row whose value begins with / equals the text ignoring case; -1 when none.
    int findPrefix(const QString& prefix) const;
    int findValue(const QString& text) const;
    // The row of this key among the rows whose value is text; -1 when it is not listed.
    int findKey(const QVariant& key, const QString& text) const;

private:
    void invalidate();
    int lowerBound(const QString& text) const;
    int endOfPrefix(int from, const QString& prefix) const;

    QPointer<store::Dataset> m_table;
    QString m_keyField;
    QString m_listField;
    bool m_loaded = false;
    QStringList m_values;
    QVariantList m_keys;
    QMetaObject::Connection m_tableConnection;
    QMetaObject::Connection m_rowConnection;
};

// A drop-down bound to a lookup field of a view (a client's name or C.U.I.T. shown through the
// row's client key). It lists the lookup table's values; picking one, or leaving the box with a
// listed value typed in, sets the row's key, so every other control on the same key follows.
// Typing completes the text with the first listed value that begins with it.
class DBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    ~DBLookupComboBox() override;

    void setDataField(store::Dataset* dataset, const QString& lookupField);
    store::Dataset* dataset() const;
    const QString& dataField() const;
    LookupListModel& listModel() { return *m_model; }
    FieldLink& link() { return *m_link; }
    bool modified() const;

    void showPopup() override;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void useModel(LookupListModel* model);
    void loadList();
    void show(const QString& text);
    void userEdited(const QString& text);
    void picked(int row);
    void write(const QString& typed);  // throws when the typed text is not in the list
    QString shownName() const;         // what the window calls the list
    QVariant currentKey() const;

    QPointer<LookupListModel> m_model;
    FieldLink* m_link;
    QString m_keyField;
    bool m_showing = false;
    bool m_completeNext = false;
    struct {
        QString text;
        int cursor = 0;
        int selectionStart = -1;
        int selectionLength = 0;
    } m_saved;  // the edit box across a change of the list
};
