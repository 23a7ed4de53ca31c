#pragma once

#include <QColor>
#include <algorithm>
#include <cmath>

/// The WCAG contrast ratio of two colours, from 1 (the same) to 21 (black on white).
inline double contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& color) {
        const auto channel = [](double value) {
            return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
               0.0722 * channel(color.blueF());
    };
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
