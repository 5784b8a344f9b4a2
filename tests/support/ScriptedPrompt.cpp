#include "ScriptedPrompt.h"

#include <QTest>
#include <utility>

ScriptedPrompt::~ScriptedPrompt()
{
    install(nullptr);
    // An answer the test queued and the program never asked for is a question that went missing.
    if (!m_answers.isEmpty() || !m_files.isEmpty() || !m_choices.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("%1 answers, %2 file names and %3 choices queued were never asked for")
                                    .arg(m_answers.size())
                                    .arg(m_files.size())
                                    .arg(m_choices.size())),
                     __FILE__, __LINE__);
}

PromptButton ScriptedPrompt::ask(const PromptMessage& message)
{
    m_shown << message;
    if (m_whileShown)
        std::exchange(m_whileShown, {})();
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    // A box with a choice must be answered by the test; one with a single button has no choice.
    if (message.buttons == PromptButtons::OkCancel || message.buttons == PromptButtons::YesNo)
        QTest::qFail(qPrintable(QStringLiteral("a question the test did not answer: \"%1\"").arg(message.text)),
                     __FILE__, __LINE__);
    switch (message.buttons) {
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
        return PromptButton::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::Yes:
        return PromptButton::Yes;
    }
    return PromptButton::Ok;
}

int ScriptedPrompt::choose(const PromptMessage& message, const QStringList& choices)
{
    m_shown << message;
    if (m_whileShown)
        std::exchange(m_whileShown, {})();
    if (m_choices.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("a choice the test did not make: \"%1\" (%2)")
                                    .arg(message.text, choices.join(QStringLiteral(", ")))),
                     __FILE__, __LINE__);
        return -1;
    }
    return m_choices.takeFirst();
}

PromptPick ScriptedPrompt::pick(const PromptMessage& message, const QStringList&, const QList<QStringList>& rows,
                                const QStringList& choices)
{
    PromptMessage shown = message;
    for (const QStringList& row : rows)
        shown.text += QLatin1Char('\n') + row.join(QStringLiteral(" | "));
    const int choice = choose(shown, choices);
    return {choice, m_rows.isEmpty() ? -1 : m_rows.takeFirst()};
}

QString ScriptedPrompt::openFileName(const QString& caption, const QString& folder, const QString&)
{
    m_folders << folder;
    m_shown << PromptMessage{QString(), caption, PromptButtons::OkCancel, PromptIcon::None, PromptButton::None};
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QString ScriptedPrompt::saveFileName(const QString& caption, const QString& suggested, const QString& filter)
{
    return openFileName(caption, suggested, filter);
}

QString ScriptedPrompt::folderName(const QString& caption, const QString& folder)
{
    return openFileName(caption, folder, QString());
}

QStringList ScriptedPrompt::texts() const
{
    QStringList list;
    for (const PromptMessage& m : m_shown)
        list << m.text;
    return list;
}
