#include "FieldLink.h"

#include "StandardError.h"
#include "data/store/Dataset.h"

#include <QFocusEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

FieldLink::FieldLink(QWidget* control, Reader read, Shower show, Writer write)
    : QObject(control), m_control(control), m_read(std::move(read)), m_show(std::move(show)), m_write(std::move(write))
{}

void FieldLink::setField(store::Dataset* dataset, const QString& field, const QString& alsoShown)
{
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    if (m_dataset)
        m_dataset->removeEditors(this);
    m_dataset = dataset;
    m_field = field;
    m_alsoShown = alsoShown;
    m_modified = false;
    if (dataset) {
        m_connections << connect(dataset, &store::Dataset::currentChanged, this, [this] {
            if (!m_modified)
                refresh();
        });
        m_connections << connect(dataset, &store::Dataset::stateChanged, this, [this] {
            // Leaving the edit (post or cancel) drops what the control had not written yet.
            if (!m_dataset->editing())
                m_modified = false;
            if (!m_modified)
                refresh();
        });
        m_connections << connect(dataset, &store::Dataset::fieldChanged, this, [this](const QString& f) {
            if (f.compare(m_field, Qt::CaseInsensitive) == 0 ||
                (!m_alsoShown.isEmpty() && f.compare(m_alsoShown, Qt::CaseInsensitive) == 0)) {
                m_modified = false;
                refresh();
            }
        });
        dataset->addEditor(this, [this] { writeBack(); });
    }
    refresh();
}

int FieldLink::width() const { return m_dataset ? m_dataset->displayWidth(m_field) : 0; }

void FieldLink::userChanged()
{
    if (m_showing || !m_dataset)
        return;
    m_modified = true;
    if (m_dataset->active() && !m_dataset->editing())
        runHandler([this] { m_dataset->edit(); });
}

void FieldLink::writeBack()
{
    if (!m_modified || !m_dataset || !m_dataset->editing())
        return;
    // Either throws to refuse; the typed text stays.
    if (m_write)
        m_write(m_read());
    else
        m_dataset->setText(m_field, m_read(), windowLabel(m_control));
    m_modified = false;
    refresh();
}

void FieldLink::revert()
{
    m_modified = false;
    refresh();
}

bool FieldLink::leave()
{
    bool ok = true;
    runHandler([this, &ok] {
        ok = false;
        writeBack();
        ok = true;
    });
    if (!ok) {
        // Back into the control, as a refusing field keeps the user there.
        QTimer::singleShot(0, m_control, [control = m_control] { control->setFocus(Qt::OtherFocusReason); });
    }
    return ok;
}

void FieldLink::focusLost(const QFocusEvent* event)
{
    if (leavesForGood(event))
        leave();
}

QString FieldLink::windowLabel(const QWidget* control)
{
    if (!control)
        return {};
    const QList<QLabel*> labels = control->window()->findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->buddy() != control)
            continue;
        QString text = label->text();
        text.remove(QLatin1Char('&'));
        text = text.trimmed();
        if (text.endsWith(QLatin1Char(':')))
            text.chop(1);
        return text.trimmed();
    }
    return {};
}

bool FieldLink::leavesForGood(const QFocusEvent* event)
{
    return event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason;
}

void FieldLink::refresh()
{
    QString text;
    if (m_dataset && m_dataset->active()) {
        try {
            text = m_dataset->text(m_field);
        } catch (const std::exception&) {
            // A row that cannot be read shows empty; the error reaches the user where it was read.
        }
    }
    m_showing = true;
    m_show(text);
    m_showing = false;
}
