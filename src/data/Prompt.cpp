#include "Prompt.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// Answers nothing and shows nothing: in force only until the program installs its own.
class SilentPrompt final : public Prompt {
public:
    PromptButton ask(const PromptMessage&) override { return PromptButton::None; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
};

SilentPrompt silentPrompt;
Prompt* installed = nullptr;

}  // namespace

void Prompt::notice(const QString& text)
{
    ask({text, applicationTitle(), PromptButtons::Ok, PromptIcon::None, PromptButton::Ok});
}

QString Prompt::openFileNameWithSuffix(const QString& caption, const QString& folder, const QString& filter,
                                       const QString&)
{
    return openFileName(caption, folder, filter);
}

QString Prompt::saveFileName(const QString&, const QString&, const QString&) { return {}; }
QString Prompt::folderName(const QString&, const QString&) { return {}; }
int Prompt::choose(const PromptMessage&, const QStringList&) { return -1; }
PromptPick Prompt::pick(const PromptMessage&, const QStringList&, const QList<QStringList>&, const QStringList&)
{
    return {};
}

PromptButton Prompt::box(const QString& text, const QString& caption, PromptButtons buttons, PromptIcon icon,
                         PromptButton defaultButton)
{
    return ask({text, caption, buttons, icon, defaultButton});
}

PromptButton Prompt::dialog(PromptIcon kind, const QString& text, PromptButtons buttons)
{
    return ask({text, standardCaption(kind), buttons, kind, PromptButton::None});
}

void Prompt::error(const QString& text)
{
    ask({text, applicationTitle(), PromptButtons::Ok, PromptIcon::Error, PromptButton::Ok});
}

QString Prompt::applicationTitle()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("tarvenio") : QFileInfo(path).completeBaseName();
}

QString Prompt::standardCaption(PromptIcon kind)
{
    switch (kind) {
    case PromptIcon::Error:
        return QStringLiteral("Error");
    case PromptIcon::Information:
        return QStringLiteral("Información");
    case PromptIcon::Warning:
        return QStringLiteral("Advertencia");
    case PromptIcon::Question:
        return QStringLiteral("Confirmación");
    case PromptIcon::None:
        break;
    }
    return applicationTitle();
}

Prompt& Prompt::current() { return installed ? *installed : static_cast<Prompt&>(silentPrompt); }

void Prompt::install(Prompt* prompt) { installed = prompt; }
