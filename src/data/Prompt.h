#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Every notice, message box, message dialog and file-open dialog of the program goes through
// the installed Prompt. The program installs one that shows real dialogs; tests install a
// scripted one that records what was asked and gives the answer the test chose.
// The interface lives with the data module because its rules ask questions, and the data
// module does not link the widget toolkit.

enum class PromptButton { None, Ok, Cancel, Yes, No };
enum class PromptButtons { Ok, OkCancel, YesNo, Yes };
enum class PromptIcon { None, Information, Warning, Error, Question };

// What the user did with a list to pick from: the choice pressed (-1 when the list was closed)
// and the row that was current (-1 when none).
struct PromptPick {
    int choice = -1;
    int row = -1;
};

struct PromptMessage {
    QString text;
    QString caption;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    PromptButton defaultButton = PromptButton::None;  // None: the first button
};

class Prompt {
public:
    virtual ~Prompt() = default;

    // Shows a box and answers the button pressed, or None when the box was closed otherwise.
    virtual PromptButton ask(const PromptMessage& message) = 0;
    // The file-open dialog; an empty text when the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    // The same dialog showing each filter by its description alone (not the patterns in its
    // last parentheses) and giving a name typed without a suffix defaultSuffix. By default the
    // plain dialog above.
    virtual QString openFileNameWithSuffix(const QString& caption, const QString& folder, const QString& filter,
                                           const QString& defaultSuffix);
    // A box whose buttons are the choices given, in order, the first the default; answers the
    // index of the one pressed, or -1 when the box was closed otherwise. By default none.
    virtual int choose(const PromptMessage& message, const QStringList& choices);
    // A list of rows under the message's text, with its columns' titles, and the choices as
    // buttons (the first the default, taking the current row; a double click or Enter takes it
    // too). By default nothing is picked.
    virtual PromptPick pick(const PromptMessage& message, const QStringList& columns, const QList<QStringList>& rows,
                            const QStringList& choices);
    // The folder dialog, starting at folder; an empty text when the user cancelled. By default
    // no folder is chosen.
    virtual QString folderName(const QString& caption, const QString& folder);

    // The file-save dialog, starting on a suggested name; an empty text when the user cancelled.
    // By default nothing is chosen.
    virtual QString saveFileName(const QString& caption, const QString& suggested, const QString& filter);

    // Long work begins (true) or ends (false); the windows show the hourglass meanwhile. Nests.
    virtual void busy(bool) {}

    // A notice: the application's title as caption and one OK button.
    void notice(const QString& text);
    // A message box with its own caption, buttons and no icon unless given.
    PromptButton box(const QString& text, const QString& caption, PromptButtons buttons,
                     PromptIcon icon = PromptIcon::None, PromptButton defaultButton = PromptButton::None);
    // A message dialog of a kind, captioned with the kind's standard caption.
    PromptButton dialog(PromptIcon kind, const QString& text, PromptButtons buttons);
    // The standard error box: the error's text under the application's title.
    void error(const QString& text);

    static QString applicationTitle();  // the program file's name without extension
    static QString standardCaption(PromptIcon kind);

    static Prompt& current();
    static void install(Prompt* prompt);  // not owned; nullptr restores the silent default
};

// Forwards every call to the prompt installed at the moment of the call. The windows' data module
// speaks through it: the windows and their tests install their prompt after the module is made.
class InstalledPrompt final : public Prompt {
public:
    PromptButton ask(const PromptMessage& message) override { return current().ask(message); }
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        return current().openFileName(caption, folder, filter);
    }
    QString openFileNameWithSuffix(const QString& caption, const QString& folder, const QString& filter,
                                   const QString& defaultSuffix) override
    {
        return current().openFileNameWithSuffix(caption, folder, filter, defaultSuffix);
    }
    int choose(const PromptMessage& message, const QStringList& choices) override
    {
        return current().choose(message, choices);
    }
    PromptPick pick(const PromptMessage& message, const QStringList& columns, const QList<QStringList>& rows,
                    const QStringList& choices) override
    {
        return current().pick(message, columns, rows, choices);
    }
    QString folderName(const QString& caption, const QString& folder) override
    {
        return current().folderName(caption, folder);
    }
    QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) override
    {
        return current().saveFileName(caption, suggested, filter);
    }
    void busy(bool on) override { current().busy(on); }
};

// Keeps the prompt busy for its lifetime, whichever way the scope is left.
class BusyScope {
public:
    explicit BusyScope(Prompt& prompt) : m_prompt(prompt) { m_prompt.busy(true); }
    ~BusyScope() { m_prompt.busy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Prompt& m_prompt;
};
