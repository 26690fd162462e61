#include "media/raster.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// A raster whose samples come from value(x, y, band).
Raster Make(int width, int height, int bands, const std::function<int(int, int, int)>& value) {
    Raster raster{width, height, bands, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int band = 0; band < bands; ++band) {
                raster.samples.push_back(static_cast<unsigned char>(value(x, y, band)));
            }
        }
    }
    return raster;
}

int At(const Raster& raster, int x, int y, int band = 0) {
    return raster.samples[(static_cast<std::size_t>(y) * raster.width + x) * raster.bands + band];
}

TEST(ResizeRaster, GivesExactlyTheSizeAskedAndKeepsFlatColoursExact) {
    const struct {
        int width, height, bands, toWidth, toHeight;
    } cases[] = {
        {500, 375, 3, 120, 90},  // the usual thumbnail after a scaled decode
        {375, 500, 3, 90, 120}, {257, 173, 1, 199, 131}, {100, 100, 3, 120, 120},  // enlarged
        {1, 1, 3, 37, 37},      {1000, 3, 3, 120, 1},    {3, 1000, 1, 1, 120},
        {64, 48, 3, 64, 48},  // unchanged
        {640, 480, 3, 1, 1},    {7, 5, 1, 320, 2},
    };
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + " to " +
                                 std::to_string(c.toWidth) + "x" + std::to_string(c.toHeight);
        const Raster flat =
            Make(c.width, c.height, c.bands, [](int, int, int band) { return 37 + 90 * band; });
        const Raster resized = ResizeRaster(flat, c.toWidth, c.toHeight);
        ASSERT_EQ(resized.width, c.toWidth) << name;
        ASSERT_EQ(resized.height, c.toHeight) << name;
        ASSERT_EQ(resized.bands, c.bands) << name;
        ASSERT_EQ(resized.samples.size(),
                  static_cast<std::size_t>(c.toWidth) * c.toHeight * c.bands)
            << name;
        // The weights of every output pixel add up to one, near the edges too.
        for (std::size_t i = 0; i < resized.samples.size(); ++i) {
            ASSERT_EQ(resized.samples[i], 37 + 90 * static_cast<int>(i % c.bands))
                << name << ", sample " << i;
        }
    }
}

TEST(ResizeRaster, RefusesEmptyRastersAndSizesBelowOne) {
    const Raster raster = Make(4, 4, 3, [](int, int, int) { return 1; });
    EXPECT_TRUE(ResizeRaster(raster, 0, 4).empty());
    EXPECT_TRUE(ResizeRaster(raster, 4, -1).empty());
    EXPECT_TRUE(ResizeRaster(Raster(), 4, 4).empty());
}

TEST(ResizeRaster, KeepsPicturesInPlace) {
    // A ramp across and one down: each output pixel takes the value at the centre of the
    // stretch of source pixels it covers, wherever it lies, when reducing and enlarging.
    for (const auto& sizes : std::vector<std::pair<int, int>>{{100, 24}, {51, 17}, {24, 80}}) {
        // Named copies: a lambda may not capture a structured binding before clang 16.
        const int from = sizes.first;
        const int to = sizes.second;
        const Raster across = Make(from, 3, 1, [from](int x, int, int) { return x * 255 / from; });
        const Raster down = Make(3, from, 1, [from](int, int y, int) { return y * 255 / from; });
        const Raster wide = ResizeRaster(across, to, 3);
        const Raster tall = ResizeRaster(down, 3, to);
        // Away from the edges, where the repeated edge pixels bend the ramp.
        const int margin = 3 * std::max(1, from / to) + 1;
        for (int i = margin * to / from + 1; i < to - margin * to / from - 1; ++i) {
            const double centre = (i + 0.5) * from / to - 0.5;
            const int expected = static_cast<int>(centre * 255 / from);
            EXPECT_NEAR(At(wide, i, 1), expected, 2) << from << " to " << to << " across at " << i;
            EXPECT_NEAR(At(tall, 1, i), expected, 2) << from << " to " << to << " down at " << i;
        }
    }
}

TEST(ResizeRaster, AveragesDetailFinerThanTheNewPixels) {
    // One-pixel stripes reduced by 4.2: sampled without a wide enough filter they would
    // come out as stripes or flat black or white; averaged they are mid-grey.
    const Raster stripes = Make(500, 375, 3, [](int x, int y, int) { return (x + y) % 2 * 255; });
    const Raster reduced = ResizeRaster(stripes, 120, 90);
    for (std::size_t i = 0; i < reduced.samples.size(); ++i) {
        ASSERT_NEAR(reduced.samples[i], 128, 6) << "sample " << i;
    }
    // Colour bands stay apart.
    const Raster red = Make(500, 375, 3, [](int, int, int band) { return band == 0 ? 200 : 10; });
    const Raster small = ResizeRaster(red, 120, 90);
    EXPECT_EQ(At(small, 60, 45, 0), 200);
    EXPECT_EQ(At(small, 60, 45, 1), 10);
    EXPECT_EQ(At(small, 60, 45, 2), 10);
}

TEST(TurnRaster, TurnsEachOrientationUpright) {
    // Stored 3 x 2, samples 10 * row + column + 1; the expected pictures follow the EXIF
    // definitions (6: turn a quarter clockwise to show, 8: a quarter anticlockwise).
    const Raster stored = Make(3, 2, 1, [](int x, int y, int) { return 10 * y + x + 1; });
    const struct {
        int orientation;
        int width, height;
        std::vector<unsigned char> samples;
    } cases[] = {
        {1, 3, 2, {1, 2, 3, 11, 12, 13}}, {2, 3, 2, {3, 2, 1, 13, 12, 11}},
        {3, 3, 2, {13, 12, 11, 3, 2, 1}}, {4, 3, 2, {11, 12, 13, 1, 2, 3}},
        {5, 2, 3, {1, 11, 2, 12, 3, 13}}, {6, 2, 3, {11, 1, 12, 2, 13, 3}},
        {7, 2, 3, {13, 3, 12, 2, 11, 1}}, {8, 2, 3, {3, 13, 2, 12, 1, 11}},
        {0, 3, 2, {1, 2, 3, 11, 12, 13}}, {9, 3, 2, {1, 2, 3, 11, 12, 13}},  // not orientations
    };
    for (const auto& c : cases) {
        const Raster turned = TurnRaster(stored, c.orientation);
        EXPECT_EQ(turned.width, c.width) << c.orientation;
        EXPECT_EQ(turned.height, c.height) << c.orientation;
        EXPECT_EQ(turned.samples, c.samples) << c.orientation;
    }
    // The bands of a pixel move together.
    const Raster colour =
        Make(3, 2, 3, [](int x, int y, int band) { return 10 * y + x + 1 + 100 * band; });
    const Raster turned = TurnRaster(colour, 6);
    EXPECT_EQ(turned.samples, (std::vector<unsigned char>{11, 111, 211, 1, 101, 201, 12, 112, 212,
                                                          2, 102, 202, 13, 113, 213, 3, 103, 203}));
}

}  // namespace
