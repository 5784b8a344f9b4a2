#pragma once

#include "data/Prompt.h"

#include <cstdio>

// The Prompt of the command line. Every message is written to the error output, and every
// question is answered as the order itself implies, without waiting for anybody: OK to a box
// with OK, Yes to a question (the order was the user's yes). The answer is written after the
// question, so the output tells what was decided. A file dialog answers no file.
class TerminalPrompt final : public Prompt {
public:
    // terminal: whether out is a terminal, where a progress line rewrites itself.
    TerminalPrompt(std::FILE* out, bool terminal);
    TerminalPrompt();  // the error output, and whether it is a terminal

    PromptButton ask(const PromptMessage& message) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;

    // A message of the order's own.
    void say(const QString& text);
    // A line that rewrites itself, such as the count of an import; nothing when the output is
    // not a terminal, so that a log holds no hundred thousand counts.
    void progress(const QString& text);
    // Ends a progress line shown, before something else is written to the terminal.
    void endProgress();

private:
    void write(const QString& text);

    std::FILE* m_out;
    bool m_terminal;
    bool m_progressShown = false;
};
