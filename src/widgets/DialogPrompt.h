#pragma once

#include "data/Prompt.h"

// The program's Prompt: real message boxes and the file-open dialog, over the active window.
class DialogPrompt final : public Prompt {
public:
    PromptButton ask(const PromptMessage& message) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QString openFileNameWithSuffix(const QString& caption, const QString& folder, const QString& filter,
                                   const QString& defaultSuffix) override;
    QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    QString folderName(const QString& caption, const QString& folder) override;
    int choose(const PromptMessage& message, const QStringList& choices) override;
    PromptPick pick(const PromptMessage& message, const QStringList& columns, const QList<QStringList>& rows,
                    const QStringList& choices) override;
    void busy(bool on) override;  // the hourglass
};
