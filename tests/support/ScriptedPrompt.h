#pragma once

#include "data/Prompt.h"

#include <QList>
#include <QStringList>
#include <functional>

// Records every box the program shows and answers with the answers queued by the test. A
// notice (a single button) needs no answer; a question the test did not answer fails the test,
// and so does an answer left unused when the prompt goes.
class ScriptedPrompt final : public Prompt {
public:
    ScriptedPrompt() { install(this); }
    ~ScriptedPrompt() override;

    PromptButton ask(const PromptMessage& message) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    // Answers with the next queued file name too; where it started is kept with the folders.
    QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    // Answered from the same queue of file names as the file dialog.
    QString folderName(const QString& caption, const QString& folder) override;
    // Answered from its own queue; the box is kept with the others, its choices after its text.
    int choose(const PromptMessage& message, const QStringList& choices) override;
    // Answered from the choices' queue, with the row queued beside; the list is kept with the
    // boxes, each row a line after its text, its values parted by " | ".
    PromptPick pick(const PromptMessage& message, const QStringList& columns, const QList<QStringList>& rows,
                    const QStringList& choices) override;

    void answer(PromptButton button) { m_answers << button; }
    void answerFile(const QString& path) { m_files << path; }
    void answerChoice(int index) { m_choices << index; }
    void answerPick(int choice, int row)
    {
        m_choices << choice;
        m_rows << row;
    }
    // Runs while the next box is shown, as something the user does before answering it.
    void whileNextShown(std::function<void()> action) { m_whileShown = std::move(action); }

    const QList<PromptMessage>& shown() const { return m_shown; }
    const QStringList& fileFolders() const { return m_folders; }  // where each file dialog started
    QStringList texts() const;
    PromptMessage last() const { return m_shown.isEmpty() ? PromptMessage{} : m_shown.last(); }
    void clear() { m_shown.clear(); }

private:
    QList<PromptMessage> m_shown;
    QList<PromptButton> m_answers;
    QList<int> m_choices;
    QList<int> m_rows;
    QStringList m_files;
    QStringList m_folders;
    std::function<void()> m_whileShown;
};
