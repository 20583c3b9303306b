#include "support/Summary.h"

#include <algorithm>
#include <cstdio>

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    const std::size_t mid = samples.size() / 2;
    std::nth_element(samples.begin(), samples.begin() + mid, samples.end());
    const double upper = samples[mid];
    if (samples.size() % 2 == 1)
        return upper;
    return (upper + *std::max_element(samples.begin(), samples.begin() + mid)) / 2;
}

double quantile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    const auto rank = std::min(samples.size() - 1, std::size_t(fraction * double(samples.size())));
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(rank), samples.end());
    return samples[rank];
}

Summary &Summary::instance()
{
    static Summary s;
    return s;
}

void Summary::add(const std::string &key, const std::vector<double> &window,
                  const std::vector<double> &baseline, const Target &target)
{
    auto [it, fresh] = m_entries.try_emplace(key);
    if (fresh)
        m_order.push_back(key);
    Entry &e = it->second;
    e.window.insert(e.window.end(), window.begin(), window.end());
    e.baseline.insert(e.baseline.end(), baseline.begin(), baseline.end());
    e.target = target;
}

void Summary::relate(const std::string &a, const std::string &b, const std::string &label)
{
    m_relations.push_back({a, b, label});
}

void Summary::print() const
{
    if (m_entries.empty())
        return;
    std::printf("\nSUMMARY (medians over all repetitions; milliseconds)\n");
    for (const std::string &key : m_order) {
        const Entry &e = m_entries.at(key);
        const double ms = median(e.window) * 1e3;
        std::printf("SUMMARY %-48s median %8.4f ms  p90 %8.4f ms  samples %5zu", key.c_str(), ms,
                    quantile(e.window, 0.9) * 1e3, e.window.size());
        bool met = e.target.maxMs <= 0 || ms <= e.target.maxMs;
        if (!e.baseline.empty()) {
            const double raw = median(e.baseline) * 1e3;
            const double ratio = raw > 0 ? ms / raw : 0;
            std::printf("  %s %8.4f ms  ratio %6.1fx", e.target.baseline, raw, ratio);
            if (e.target.maxRatio > 0 && ratio > e.target.maxRatio)
                met = false;
        }
        if (e.target.maxMs > 0 || e.target.maxRatio > 0) {
            std::printf("  target");
            if (e.target.maxMs > 0)
                std::printf(" <= %g ms", e.target.maxMs);
            if (e.target.maxRatio > 0)
                std::printf(" <= %gx %s", e.target.maxRatio, e.target.baseline);
            std::printf(": %s", met ? "met" : "MISSED");
        }
        std::printf("\n");
    }
    for (const Relation &r : m_relations) {
        const auto a = m_entries.find(r.a), b = m_entries.find(r.b);
        if (a == m_entries.end() || b == m_entries.end())
            continue;
        const double ma = median(a->second.window), mb = median(b->second.window);
        std::printf("SUMMARY %s: %.4f ms against %.4f ms, ratio %.2f (aim: <= 1, %s)\n",
                    r.label.c_str(), ma * 1e3, mb * 1e3, mb > 0 ? ma / mb : 0,
                    ma <= mb ? "met" : "MISSED");
    }
    std::fflush(stdout);
}
