#include "platform/ThemeColors.h"

#include <gtest/gtest.h>

namespace {

QPalette DarkPalette()
{
    QPalette dark(QColor(53, 53, 53));  // a window colour: Qt derives a dark palette
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    return dark;
}

QPalette LightPalette()
{
    QPalette light(QColor(239, 239, 239));
    light.setColor(QPalette::WindowText, Qt::black);
    light.setColor(QPalette::Base, Qt::white);
    return light;
}

TEST(ThemeColors, ClassicColoursOnLightPalettesReadableOnesOnDark)
{
    const QPalette light = LightPalette();
    const QPalette dark = DarkPalette();
    EXPECT_FALSE(IsDarkPalette(light));
    EXPECT_TRUE(IsDarkPalette(dark));

    EXPECT_EQ(AppWorkspaceColor(light), QColor(96, 96, 104));
    EXPECT_GE(ContrastRatio(AppWorkspaceColor(dark), Qt::white), 4.5);  // the path bar's white text
    EXPECT_NE(AppWorkspaceColor(dark), dark.color(QPalette::Window));

    EXPECT_EQ(StripeColor(QColor(187, 255, 255), light), QColor(187, 255, 255));
    const QColor even = StripeColor(Qt::white, dark);
    const QColor odd = StripeColor(QColor(187, 255, 255), dark);
    EXPECT_NE(even, odd);
    EXPECT_GE(ContrastRatio(dark.color(QPalette::WindowText), even), 4.5);
    EXPECT_GE(ContrastRatio(dark.color(QPalette::WindowText), odd), 4.5);

    const QColor blue(0, 0, 255);
    EXPECT_EQ(ReadableOn(blue, Qt::white), blue);
    const QColor onDark = ReadableOn(blue, dark.color(QPalette::Base));
    EXPECT_GE(ContrastRatio(onDark, dark.color(QPalette::Base)), 4.5);
    EXPECT_EQ(onDark.hslHue(), blue.hslHue());  // still blue
    EXPECT_GE(ContrastRatio(ReadableOn(Qt::black, QColor(35, 35, 35)), QColor(35, 35, 35)), 4.5);
}

}  // namespace
