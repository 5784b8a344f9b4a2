#include "ScriptedPrompt.h"

PromptButton ScriptedPrompt::ask(const PromptMessage& message)
{
    m_shown << message;
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
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

QString ScriptedPrompt::openFileName(const QString& caption, const QString& folder, const QString&)
{
    m_folders << folder;
    m_shown << PromptMessage{QString(), caption, PromptButtons::OkCancel, PromptIcon::None, PromptButton::None};
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QStringList ScriptedPrompt::texts() const
{
    QStringList list;
    for (const PromptMessage& m : m_shown)
        list << m.text;
    return list;
}
