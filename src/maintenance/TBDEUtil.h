#pragma once

#include "data/store/TableUtil.h"

#include <QList>

// One session of the table utility over the program's tables, with the buffer its progress
// reports are copied into. Every failure of the utility comes out as a StoreError.
class TBDEUtil {
public:
    TBDEUtil();  // over schema::tables()
    explicit TBDEUtil(QList<store::TableDef> tables);
    ~TBDEUtil();  // ends the session if close() did not; silently, a destructor cannot report
    TBDEUtil(const TBDEUtil&) = delete;
    TBDEUtil& operator=(const TBDEUtil&) = delete;

    store::TUSession session() const { return m_session; }
    void close();    // ends the session
    void restart();  // ends the session and starts a new one

    bool tableProperties(const QString& tablePath);  // whether the properties could be read
    const store::TableProperties& properties() const { return m_properties; }

    // The callback copies each report into the buffer and always lets the work go on.
    void registerProgress();
    void unregisterProgress() noexcept;
    const store::ProgressReport& progress() const { return m_progress; }

    // Throws the session's error for a result other than 0.
    void check(int result) const;

private:
    void start();

    QList<store::TableDef> m_tables;
    store::TUSession m_session = 0;
    store::TableProperties m_properties;
    store::ProgressReport m_progress;
};

// Keeps the progress callback registered for its lifetime, whichever way the scope is left.
class ProgressRegistration {
public:
    explicit ProgressRegistration(TBDEUtil& util) : m_util(util) { m_util.registerProgress(); }
    ~ProgressRegistration() { m_util.unregisterProgress(); }
    ProgressRegistration(const ProgressRegistration&) = delete;
    ProgressRegistration& operator=(const ProgressRegistration&) = delete;

private:
    TBDEUtil& m_util;
};
