#include "DataFolder.h"

#include "data/Prompt.h"
#include "data/UModulo.h"

DataFolder::DataFolder()
    : m_config(std::make_unique<store::AliasConfig>(m_dir.filePath(QStringLiteral("config/store.conf"))))
{
    m_config->add(TDModulo::AliasName, m_dir.filePath(QStringLiteral("tablas")), QStringLiteral("TABLAS"));
    m_config->save();
}

DataFolder::~DataFolder()
{
    if (DModulo == m_modulo.get())
        DModulo = nullptr;
}

TDModulo& DataFolder::modulo()
{
    if (!m_modulo) {
        // Tests install their scripted prompt after the folder is made.
        static InstalledPrompt installed;
        m_modulo = std::make_unique<TDModulo>(m_config.get(), installed);
        DModulo = m_modulo.get();
        m_modulo->AbrirTablas();
    }
    return *m_modulo;
}
