#include "TerminalPrompt.h"

#include <QByteArray>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool isTerminal(std::FILE* out)
{
#ifdef Q_OS_UNIX
    return ::isatty(::fileno(out)) == 1;
#else
    Q_UNUSED(out);
    return false;
#endif
}

}  // namespace

TerminalPrompt::TerminalPrompt(std::FILE* out, bool terminal) : m_out(out), m_terminal(terminal) {}

TerminalPrompt::TerminalPrompt() : TerminalPrompt(stderr, isTerminal(stderr)) {}

PromptButton TerminalPrompt::ask(const PromptMessage& message)
{
    // Some messages break their lines with a lone CR, which a terminal would write over.
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (message.icon == PromptIcon::Error)
        text.prepend(QStringLiteral("Error: "));
    switch (message.buttons) {
    case PromptButtons::Ok:
        say(text);
        return PromptButton::Ok;
    case PromptButtons::OkCancel:
        say(text + QStringLiteral(" [Aceptar]"));
        return PromptButton::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::Yes:
        say(text + QStringLiteral(" [Sí]"));
        return PromptButton::Yes;
    }
    return PromptButton::None;
}

QString TerminalPrompt::openFileName(const QString&, const QString&, const QString&) { return {}; }

void TerminalPrompt::say(const QString& text)
{
    endProgress();
    write(text + QLatin1Char('\n'));
}

void TerminalPrompt::progress(const QString& text)
{
    if (!m_terminal)
        return;
    write(QLatin1Char('\r') + text);
    m_progressShown = true;
}

void TerminalPrompt::write(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

void TerminalPrompt::endProgress()
{
    if (!m_progressShown)
        return;
    m_progressShown = false;
    write(QStringLiteral("\n"));
}
