#pragma once
// Progress notifications of the image library. Long operations (colour conversion, filters,
// readers, writers) report begin, a percentage now and then, and end to a ProgressSink that
// the caller passes in, or that an image buffer carries (TPixelGraphic::progress). The window
// side connects a sink to its hourglass cursor and progress bar; the core never knows how.
#include <cstdint>

namespace tesra {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // A long operation starts.
    virtual void begin() {}
    // Done so far, 0..100; called only when the value changes.
    virtual void step(int percent) { (void)percent; }
    // The operation has ended, normally or by an error.
    virtual void end() {}
};

// Reports the progress of a loop over `total` units (usually rows) to an optional sink:
// begin on construction, step when the percentage changes, end on destruction (also when the
// loop is left by an exception). With no sink every call costs one comparison.
class ProgressScope {
public:
    ProgressScope(ProgressSink* sink, std::int64_t total) : m_sink(sink), m_total(total > 0 ? total : 1)
    {
        if (m_sink)
            m_sink->begin();
    }
    ~ProgressScope()
    {
        if (m_sink)
            m_sink->end();
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    // `done` units of `total` are finished.
    void update(std::int64_t done)
    {
        if (!m_sink)
            return;
        const int percent = static_cast<int>(done >= m_total ? 100 : done * 100 / m_total);
        if (percent == m_last)
            return;
        m_last = percent;
        m_sink->step(percent);
    }

private:
    ProgressSink* m_sink;
    std::int64_t m_total;
    int m_last = -1;
};

}  // namespace tesra
