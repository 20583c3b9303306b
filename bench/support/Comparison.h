#pragma once

#include "support/Summary.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <string>
#include <vector>

// One repetition of a benchmark that times the window's work and, in the
// same loop, the raw SQLite baseline, so both see the same machine state.
// publish() turns them into counters (ms, p90_ms, raw_ms, x_raw: medians
// and the 90th percentile of this repetition) and hands the samples to the summary.
class Comparison
{
  public:
    Comparison(std::string key, Target target) : m_key(std::move(key)), m_target(target) {}

    // Times the window's work; returns the seconds it took, for
    // State::SetIterationTime.
    template <typename Work> double window(Work &&work)
    {
        const double s = timed(work);
        m_window.push_back(s);
        return s;
    }

    template <typename Work> double baseline(Work &&work)
    {
        const double s = timed(work);
        m_baseline.push_back(s);
        return s;
    }

    // Samples measured elsewhere (in another process).
    void addWindow(double seconds) { m_window.push_back(seconds); }
    void addBaseline(double seconds) { m_baseline.push_back(seconds); }

    // Sets the counters of state (when given) and hands the samples to the
    // summary.
    void publish(benchmark::State *state) const;

    const std::vector<double> &windowSamples() const { return m_window; }
    const std::vector<double> &baselineSamples() const { return m_baseline; }

  private:
    template <typename Work> static double timed(Work &work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    std::string m_key;
    Target m_target;
    std::vector<double> m_window;
    std::vector<double> m_baseline;
};
