#include "diag/ZusatzInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(ZusatzInfoLayout, InnerWidth4000)
{
    // Label sizes as a font would give them.
    const ZusatzInfoLayout l = zusatzInfoLayout(4000, 6000, 2000, 300, 2400, 195);
    EXPECT_DOUBLE_EQ(l.Label3.width, 3550);
    EXPECT_DOUBLE_EQ(l.Label3.left, 225);
    EXPECT_DOUBLE_EQ(l.Command1.left, 3055);
    EXPECT_DOUBLE_EQ(l.Command2.left, 2110);
    EXPECT_DOUBLE_EQ(l.Command1.width, 720);
    EXPECT_DOUBLE_EQ(l.Command2.height, 720);
}

TEST(ZusatzInfoLayout, VerticalChainFromTheBottom)
{
    const ZusatzInfoLayout l = zusatzInfoLayout(5000, 7000, 2000, 300, 2400, 195);
    EXPECT_DOUBLE_EQ(l.Label3.top, 7000 - 225 - 720);               // 6055
    EXPECT_DOUBLE_EQ(l.Label3.height, 720);
    EXPECT_DOUBLE_EQ(l.Label2.top, 6055 - 112.5 - 195);              // 5747.5
    EXPECT_DOUBLE_EQ(l.Label2.left, 225);
    EXPECT_DOUBLE_EQ(l.lineY, 5747.5 - 225);                         // 5522.5
    EXPECT_DOUBLE_EQ(l.lineX1, 225);
    EXPECT_DOUBLE_EQ(l.lineX2, 225 + 4550);
    EXPECT_DOUBLE_EQ(l.Command1.top, 5522.5 - 225 - 720);            // 4577.5
    EXPECT_DOUBLE_EQ(l.Command2.top, l.Command1.top);
    EXPECT_DOUBLE_EQ(l.Label1.top, 225);
    EXPECT_DOUBLE_EQ(l.Label1.left, (5000 - 2000) / 2.0);
    EXPECT_DOUBLE_EQ(l.Text1.top, 225 + 300 + 225);
    EXPECT_DOUBLE_EQ(l.Text1.left, 225);
    EXPECT_DOUBLE_EQ(l.Text1.width, 4550);
    EXPECT_DOUBLE_EQ(l.Text1.height, 4577.5 - 225 - 750);
}

TEST(ZusatzInfoLayout, TwipsAtTheScreensResolution)
{
    EXPECT_EQ(twipsToPixels(1440, 96), 96);
    EXPECT_EQ(twipsToPixels(720, 96), 48);
    EXPECT_EQ(twipsToPixels(3705, 96), 247);
    EXPECT_EQ(twipsToPixels(6225, 96), 415);
    EXPECT_EQ(twipsToPixels(720, 120), 60);
    EXPECT_DOUBLE_EQ(pixelsToTwips(96, 96), 1440);
}

}  // namespace
