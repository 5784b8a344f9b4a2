#pragma once

#include "data/store/AliasConfig.h"

#include <QTemporaryDir>
#include <memory>

class TDModulo;

// A temporary data folder and store configuration with the alias IMPRENTAS pointing at it,
// and a data module over them.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    store::AliasConfig& config() { return *m_config; }
    TDModulo& modulo();  // created (and its views opened) on first use

private:
    QTemporaryDir m_dir;
    std::unique_ptr<store::AliasConfig> m_config;
    std::unique_ptr<TDModulo> m_modulo;
};
