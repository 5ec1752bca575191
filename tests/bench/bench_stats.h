// Figures of repeated runs and the rows of the benchmark table, shared by the
// benchmark under Wine and the native one.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Summary {
    double median = 0;
    double q1 = 0;
    double q3 = 0;
    double min = 0;
    double max = 0;
    std::size_t count = 0;
};

// Quantile by linear interpolation between the sorted values.
inline double quantile(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) {
        return 0;
    }
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (at - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

inline Summary summarize(std::vector<double> values) {
    Summary s;
    std::sort(values.begin(), values.end());
    s.count = values.size();
    if (values.empty()) {
        return s;
    }
    s.median = quantile(values, 0.5);
    s.q1 = quantile(values, 0.25);
    s.q3 = quantile(values, 0.75);
    s.min = values.front();
    s.max = values.back();
    return s;
}

// The ratio of each run to the floor's run beside it (A B A B).
inline std::vector<double> pairedRatios(const std::vector<double>& measured,
                                        const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < measured.size() && i < floor.size(); ++i) {
        if (floor[i] > 0) {
            ratios.push_back(measured[i] / floor[i]);
        }
    }
    return ratios;
}

inline std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// "12.3 ms (IQR 12.0-12.9, 11.8-14.0)": median, interquartile range, extremes.
inline std::string describe(const Summary& s, const char* unit) {
    const std::string digits = s.median < 10 ? "%.2f" : "%.1f";
    const std::string pattern =
        digits + " " + unit + " (IQR " + digits + "-" + digits + ", " + digits + "-" + digits + ")";
    char text[160];
    std::snprintf(text, sizeof text, pattern.c_str(), s.median, s.q1, s.q3, s.min, s.max);
    return text;
}

// The ratio of the medians, and the interquartile range of the paired ratios.
inline std::string describeRatio(const Summary& measured, const Summary& floor,
                                 const std::vector<double>& paired) {
    const Summary p = summarize(paired);
    return format("%.2fx (paired IQR %.2f-%.2f)", measured.median / floor.median, p.q1, p.q3);
}

// One row of the table that tools/bench prints.
inline std::string row(const std::string& benchmark, const std::string& measured,
                       const std::string& floor, const std::string& ratio,
                       const std::string& target, const std::string& met) {
    return "| " + benchmark + " | " + measured + " | " + floor + " | " + ratio + " | " + target +
           " | " + met + " |\n";
}

inline std::string verdict(bool met) {
    return met ? "met" : "**missed**";
}

} // namespace bench
