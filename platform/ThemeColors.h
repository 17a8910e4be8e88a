#pragma once
// Colours the windows draw themselves, taken from the palette so that a dark
// desktop theme stays readable. On a light palette they are the program's
// classic colours.

#include <QColor>
#include <QPalette>

// True when the palette draws light text on dark windows.
bool IsDarkPalette(const QPalette &palette);

// The colour of the dark bars (path bar, menu headings) that carry white
// text: the classic grey on a light palette, a shade lighter than the window
// on a dark one.
QColor AppWorkspaceColor(const QPalette &palette);

// A background stripe: the classic (light) colour on a light palette; on a
// dark one the palette's base tinted a little with it, so stripes of
// different colours stay apart.
QColor StripeColor(const QColor &classic, const QPalette &palette);

// The text colour wanted, or the nearest colour of the same hue that reads
// well on the background (contrast ratio of at least 4.5); black or grey
// that does not read becomes white, and the other way round.
QColor ReadableOn(const QColor &wanted, const QColor &background);

// The contrast ratio of two colours, from 1 (same lightness) to 21.
double ContrastRatio(const QColor &first, const QColor &second);
