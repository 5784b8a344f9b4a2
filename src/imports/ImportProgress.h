#pragma once

#include <QElapsedTimer>
#include <functional>

namespace imports {

// What the window does while an import runs; may be left empty. The hourglass is the
// Prompt's (see busy()).
struct ImportHooks {
    std::function<void(int)> progress;  // the count for the progress label
};

// Hands the running count to the window at most every 50 ms, so that painting does not slow a
// long import; finish() hands over the last count whenever it was held back.
class ProgressThrottle {
public:
    static constexpr qint64 IntervalMs = 50;
    static constexpr int CheckEvery = 64;

    explicit ProgressThrottle(const std::function<void(int)>& show) : m_show(show) {}
    void step(int count)
    {
        if (!m_show)
            return;
        if (m_timer.isValid()) {
            // The clock is read once in a run of lines: read at every line it is a part of the import.
            if (++m_unchecked < CheckEvery) {
                m_pending = count;
                return;
            }
            m_unchecked = 0;
            if (m_timer.elapsed() < IntervalMs) {
                m_pending = count;
                return;
            }
        }
        m_pending = -1;
        m_show(count);
        m_timer.start();
    }
    void finish()
    {
        if (m_pending >= 0 && m_show)
            m_show(m_pending);
        m_pending = -1;
    }

private:
    const std::function<void(int)>& m_show;
    QElapsedTimer m_timer;
    int m_pending = -1;
    int m_unchecked = 0;
};

}  // namespace imports
