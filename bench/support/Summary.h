#pragma once

#include <map>
#include <string>
#include <vector>

// What a measurement aims at: a median in milliseconds and a ratio to its
// baseline; 0 leaves either out.
struct Target {
    double maxMs = 0;
    double maxRatio = 0;
    const char *baseline = "raw"; // what the baseline is called in the summary
};

// Collects every sample of every repetition, so that the closing summary
// shows medians over the whole run rather than a median of medians. The
// figures are printed, never judged by the exit status: a timing is not a
// test.
class Summary
{
  public:
    static Summary &instance();

    void add(const std::string &key, const std::vector<double> &window,
             const std::vector<double> &baseline, const Target &target);
    // Prints "a against b" once both were measured, with the aim that a
    // is no slower than b.
    void relate(const std::string &a, const std::string &b, const std::string &label);

    void print() const;

  private:
    struct Entry {
        std::vector<double> window, baseline;
        Target target;
    };
    std::map<std::string, Entry> m_entries;
    std::vector<std::string> m_order;
    struct Relation {
        std::string a, b, label;
    };
    std::vector<Relation> m_relations;
};

// The median of samples (the mean of the middle two for an even count); 0
// when there are none.
double median(std::vector<double> samples);
// The sample below which the given fraction of samples lie (nearest rank).
double quantile(std::vector<double> samples, double fraction);
