#pragma once

#include <QColor>
#include <algorithm>
#include <cmath>

// Text that can be read on its background, under any desktop palette.
namespace Contrast {

// The relative luminance of a colour, from 0 (black) to 1 (white), as WCAG
// defines it.
inline double luminance(const QColor& colour)
{
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
inline double ratio(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The least ratio at which ordinary text counts as readable.
inline constexpr double Readable = 4.5;

// `text` when it reads on `background`; otherwise black or white, whichever
// reads better there.
inline QColor readableOn(const QColor& background, const QColor& text)
{
    if (ratio(background, text) >= Readable)
        return text;
    return ratio(background, Qt::black) >= ratio(background, Qt::white) ? Qt::black : Qt::white;
}

} // namespace Contrast
