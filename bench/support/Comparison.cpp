#include "support/Comparison.h"

void Comparison::publish(benchmark::State *state) const
{
    if (state) {
        const double ms = median(m_window) * 1e3;
        state->counters["ms"] = ms;
        state->counters["p90_ms"] = quantile(m_window, 0.9) * 1e3;
        if (!m_baseline.empty()) {
            const double raw = median(m_baseline) * 1e3;
            state->counters[std::string(m_target.baseline) + "_ms"] = raw;
            state->counters[std::string("x_") + m_target.baseline] = raw > 0 ? ms / raw : 0;
        }
    }
    Summary::instance().add(m_key, m_window, m_baseline, m_target);
}
