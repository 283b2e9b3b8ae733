#include "windows/grad_box.h"

#include <gtest/gtest.h>

namespace {
const Color kBlue = MakeColor(0, 0, 255), kBlack = MakeColor(0, 0, 0);
}

TEST(GradientBands, TallWindowLeavesARestInTheEndColour) {
    // 298 / 129 = 2.31 -> 2-pixel bands; 130 bands cover 0..260, the rest is the end colour.
    const auto bands = GradientBands(kBlue, kBlack, 128, 298);
    ASSERT_EQ(bands.size(), 131u);
    EXPECT_EQ(bands[0].from, 0);
    EXPECT_EQ(bands[0].to, 2);
    EXPECT_EQ(bands[0].color, kBlue);
    EXPECT_EQ(bands[1].color, MakeColor(0, 0, 253));  // 255 - 255/129 rounded
    EXPECT_EQ(bands[129].from, 258);
    EXPECT_EQ(bands[129].color, kBlack);
    EXPECT_EQ(bands[130].from, 260);
    EXPECT_EQ(bands[130].to, 298);
    EXPECT_EQ(bands[130].color, kBlack);
}

TEST(GradientBands, ThicknessRoundsHalfToEven) {
    EXPECT_EQ(GradientBands(kBlue, kBlack, 1, 5)[0].to, 2);  // 2.5 -> 2
    EXPECT_EQ(GradientBands(kBlue, kBlack, 1, 7)[0].to, 4);  // 3.5 -> 4
}

TEST(GradientBands, StepZeroIsAllStartColour) {
    const auto bands = GradientBands(kBlue, kBlack, 0, 300);
    ASSERT_EQ(bands.size(), 1u);  // the end band lies past the far edge
    EXPECT_EQ(bands[0].to, 300);
    EXPECT_EQ(bands[0].color, kBlue);
}

TEST(GradientBands, SmallAreaGetsOnePixelBandsClipped) {
    const auto bands = GradientBands(kBlue, kBlack, 128, 10);
    ASSERT_EQ(bands.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(bands[static_cast<std::size_t>(i)].from, i);
        EXPECT_EQ(bands[static_cast<std::size_t>(i)].to, i + 1);
    }
}

TEST(GradientBands, EqualColoursAreSolid) {
    const Color grey = MakeColor(90, 90, 90);
    for (const GradBand& band : GradientBands(grey, grey, 128, 768)) EXPECT_EQ(band.color, grey);
}

TEST(GradientBands, ChannelsStayInRangeBothWays) {
    for (const GradBand& band : GradientBands(MakeColor(255, 0, 10), MakeColor(0, 255, 250), 255, 1300)) {
        EXPECT_EQ(band.color >> 24, 0u);  // no channel overflowed into the next
    }
    EXPECT_EQ(GradientBands(MakeColor(255, 0, 10), MakeColor(0, 255, 250), 255, 1300).back().color,
              MakeColor(0, 255, 250));
}

TEST(TGradBox, SettersRepaintAndNotify) {
    TGradBox box;
    EXPECT_EQ(box.StartColor(), MakeColor(255, 255, 255));
    EXPECT_EQ(box.EndColor(), kBlack);
    EXPECT_EQ(box.GradStep(), 128);
    EXPECT_EQ(box.Direction(), TGradDirection::gdVertical);
    int repaints = 0, changes = 0;
    box.Invalidate = [&] { ++repaints; };
    box.OnChange = [&] { ++changes; };
    box.SetColor(1, kBlue);
    box.SetColor(2, kBlue);  // colours notify even when unchanged
    box.SetGradStep(128);
    EXPECT_EQ(repaints, 3);
    EXPECT_EQ(changes, 3);
    box.SetDirection(TGradDirection::gdVertical);  // the current value: nothing happens
    EXPECT_EQ(changes, 3);
    box.SetDirection(TGradDirection::gdHorizontal);
    EXPECT_EQ(repaints, 4);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(box.StartColor(), kBlue);
    EXPECT_EQ(box.EndColor(), kBlue);
}
