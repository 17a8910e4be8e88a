#include "platform/ThemeColors.h"

#include <cmath>

namespace {

constexpr double ReadableContrast = 4.5;

double Linear(double channel)
{
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor &colour)
{
    return 0.2126 * Linear(colour.redF()) + 0.7152 * Linear(colour.greenF()) + 0.0722 * Linear(colour.blueF());
}

QColor Mixed(const QColor &base, const QColor &tint, double share)
{
    return QColor::fromRgbF(float(base.redF() + (tint.redF() - base.redF()) * share),
                            float(base.greenF() + (tint.greenF() - base.greenF()) * share),
                            float(base.blueF() + (tint.blueF() - base.blueF()) * share));
}

}  // namespace

bool IsDarkPalette(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

QColor AppWorkspaceColor(const QPalette &palette)
{
    if (!IsDarkPalette(palette))
        return QColor(96, 96, 104);
    const QColor window = palette.color(QPalette::Window);
    return QColor::fromHsl(window.hslHue(), window.hslSaturation(), std::min(110, window.lightness() + 40));
}

QColor StripeColor(const QColor &classic, const QPalette &palette)
{
    if (!IsDarkPalette(palette))
        return classic;
    return Mixed(palette.color(QPalette::Base), classic, 0.12);
}

double ContrastRatio(const QColor &first, const QColor &second)
{
    const double a = Luminance(first) + 0.05;
    const double b = Luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

QColor ReadableOn(const QColor &wanted, const QColor &background)
{
    if (ContrastRatio(wanted, background) >= ReadableContrast)
        return wanted;
    // Move the lightness away from the background's until the text reads.
    const bool lighter = Luminance(background) < 0.18;
    if (wanted.hslSaturation() == 0)  // black or grey text: the plain opposite
        return lighter ? QColor(Qt::white) : QColor(Qt::black);
    const int hue = wanted.hslHue();
    const int saturation = wanted.hslSaturation();
    QColor candidate = wanted;
    for (int lightness = wanted.lightness(); lightness >= 0 && lightness <= 255; lightness += lighter ? 8 : -8) {
        candidate = QColor::fromHsl(hue, saturation, lightness);
        if (ContrastRatio(candidate, background) >= ReadableContrast)
            return candidate;
    }
    return lighter ? QColor(Qt::white) : QColor(Qt::black);
}
