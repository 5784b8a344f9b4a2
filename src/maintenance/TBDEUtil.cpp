#include "TBDEUtil.h"

#include "data/Schema.h"
#include "data/store/StoreError.h"

#include <cstring>
#include <utility>

TBDEUtil::TBDEUtil() : TBDEUtil(schema::tables()) {}

TBDEUtil::TBDEUtil(QList<store::TableDef> tables) : m_tables(std::move(tables)) { start(); }

TBDEUtil::~TBDEUtil()
{
    if (m_session != 0)
        store::TUExit(m_session);
}

void TBDEUtil::start()
{
    store::TUSession session = 0;
    const int result = store::TUInit(&session, m_tables);
    if (result != 0)
        throw store::StoreError(result,
                                QStringLiteral("No se puede iniciar la herramienta de tablas (error %1).").arg(result));
    m_session = session;
}

void TBDEUtil::close()
{
    if (m_session == 0)
        return;
    const store::TUSession session = std::exchange(m_session, 0);
    const int result = store::TUExit(session);
    if (result != 0)
        throw store::StoreError(result, store::TUErrorText(session));
}

void TBDEUtil::restart()
{
    close();
    start();
}

bool TBDEUtil::tableProperties(const QString& tablePath)
{
    return store::TUFillCURProps(m_session, tablePath, &m_properties) == 0;
}

void TBDEUtil::registerProgress()
{
    check(store::TURegisterCallback(m_session, store::TUCallbackGeneralProgress,
                                    [this](int, const store::ProgressReport& report) {
                                        std::memcpy(&m_progress, &report, sizeof m_progress);
                                        return 0;
                                    }));
}

void TBDEUtil::unregisterProgress() noexcept
{
    store::TURegisterCallback(m_session, store::TUCallbackGeneralProgress, {});
}

void TBDEUtil::check(int result) const
{
    if (result == 0)
        return;
    const QString text = store::TUErrorText(m_session);
    throw store::StoreError(
        result, text.isEmpty() ? QStringLiteral("Error %1 de la herramienta de tablas.").arg(result) : text);
}
