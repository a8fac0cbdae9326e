#include "FitsWriter.h"

#include "camera/CameraImage.h"
#include "platform/fits/FitsImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using nuvix::testing::FitsPicture;
using nuvix::testing::WriteFits;

namespace nuvix {
namespace {

// The frame's value at x, y counted from its top left, as the rest of the program shows it.
float At(const LinearFrame& frame, int x, int yFromTop)
{
    return frame[static_cast<size_t>((kFrameHeight - 1 - yFromTop) * kFrameWidth + x)];
}

struct Expect {
    int x;
    int yFromTop;
    double share;
};

struct Case {
    const char* what;
    FitsPicture picture;
    std::vector<Expect> expect;
};

// Each picture read back: binned and cropped from the centre when larger, centred on black when
// smaller, the right way up whichever row comes first, on the full scale of its pixel type.
TEST(FitsImage, PicturesOfEverySizeAndPixelType)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto ramp = [](long x, long y, long) { return static_cast<double>((x + 2 * y) % 256); };
    const auto wide = [](long x, long y, long) { return 1000.0 + 10.0 * x + y; };
    const Case cases[] = {
        {"8 bits, bottom row first",
         {BYTE_IMG, 320, 240, 1, false, false, ramp},
         {{0, 0, 0.0}, {319, 0, 63 / 255.0}, {10, 239, 232 / 255.0}}},
        {"8 bits, top row first",
         {BYTE_IMG, 320, 240, 1, true, false, ramp},
         {{0, 0, 0.0}, {319, 0, 63 / 255.0}, {10, 239, 232 / 255.0}}},
        // 2 x 2 averaged: the block's mean of a linear ramp is its centre's value.
        {"16 bits, 640 x 480",
         {USHORT_IMG, 640, 480, 1, false, false, wide},
         {{0, 0, 1005.5 / 65535}, {319, 239, 7863.5 / 65535}, {100, 50, 3105.5 / 65535}}},
        // 4 x 4 averaged, 32 rows above and below left out.
        {"16 bits, 1280 x 1024",
         {USHORT_IMG, 1280, 1024, 1, true, false, wide},
         {{0, 0, 1048.5 / 65535}, {319, 239, 14764.5 / 65535}}},
        {"8 bits, 160 x 120 in the middle",
         {BYTE_IMG, 160, 120, 1, false, false,
          [](long x, long y, long) { return 10.0 + static_cast<double>(x / 2 + y); }},
         {{80, 60, 10 / 255.0}, {239, 179, 208 / 255.0}, {0, 0, 0.0}, {79, 60, 0.0}, {240, 179, 0.0}}},
        {"colour: the three planes averaged",
         {BYTE_IMG, 320, 240, 3, false, false, [](long, long, long p) { return 30.0 * (p + 1); }},
         {{0, 0, 60 / 255.0}, {319, 239, 60 / 255.0}}},
        {"floating point: 0 to 1, beyond clipped, NaN black",
         {FLOAT_IMG, 320, 240, 1, false, false,
          [nan](long x, long, long) { return x == 0   ? 0.25
                                             : x == 1 ? -1.0
                                             : x == 2 ? 2.0
                                                      : nan; }},
         {{0, 5, 0.25}, {1, 5, 0.0}, {2, 5, 1.0}, {3, 5, 0.0}}},
        {"16 bits signed: below 0 is black",
         {SHORT_IMG, 320, 240, 1, false, false, [](long x, long, long) { return x == 0 ? -100.0 : 32767.0; }},
         {{0, 0, 0.0}, {1, 0, 1.0}}},
        {"32 bits",
         {LONG_IMG, 320, 240, 1, false, false, [](long, long, long) { return 1073741823.5; }},
         {{7, 7, 0.5}}},
    };
    FitsPicture extension = cases[0].picture;
    extension.inExtension = true;
    for (const Case& c : cases) {
        const fits::FitsReading reading = fits::ReadFitsImage(WriteFits(c.picture));
        ASSERT_EQ(reading.frame.size(), static_cast<size_t>(kFramePixels)) << c.what << ": " << reading.problem;
        for (const Expect& e : c.expect)
            EXPECT_NEAR(At(reading.frame, e.x, e.yFromTop), e.share, 2e-6)
                << c.what << " at " << e.x << ", " << e.yFromTop;
    }
    // After an empty primary HDU, the picture of the first extension.
    EXPECT_EQ(fits::ReadFitsImage(WriteFits(extension)).frame, fits::ReadFitsImage(WriteFits(cases[0].picture)).frame);
}

// Whatever the bytes, no picture comes out of what is none, and the reason is given.
TEST(FitsImage, WhatIsNoPicture)
{
    const std::vector<std::byte> good =
        WriteFits({BYTE_IMG, 320, 240, 1, false, false, [](long, long, long) { return 1.0; }});
    ASSERT_GT(good.size(), 2880u * 2);
    const std::vector<std::byte> cut(good.begin(), good.begin() + 2880 * 2);  // the header and a little data
    std::vector<std::byte> noise(2880 * 3, std::byte{0x5A});
    std::string line = "SIMPLE  =                    T";
    std::vector<std::byte> headerOnly(2880, std::byte{' '});
    for (size_t i = 0; i < line.size(); ++i)
        headerOnly[i] = static_cast<std::byte>(line[i]);
    FitsPicture line1d{BYTE_IMG, 320, 1, 1, false, false, [](long, long, long) { return 1.0; }};
    line1d.axes = 1;
    const std::vector<std::byte> spectrum = WriteFits(line1d);
    ASSERT_FALSE(spectrum.empty());
    FitsPicture tiles{USHORT_IMG, 640, 480, 1, false, true, [](long x, long, long) { return 10.0 * x; }};
    const std::vector<std::byte> compressed = WriteFits(tiles);
    ASSERT_FALSE(compressed.empty());
    struct Bad {
        const char* what;
        std::vector<std::byte> bytes;
    };
    const Bad cases[] = {
        {"nothing", {}},        {"data cut short", cut},     {"not FITS", noise},
        {"no END", headerOnly}, {"one axis only", spectrum}, {"compressed in tiles", compressed},
    };
    for (const Bad& c : cases) {
        const fits::FitsReading reading = fits::ReadFitsImage(c.bytes);
        EXPECT_TRUE(reading.frame.empty()) << c.what;
        EXPECT_FALSE(reading.problem.empty()) << c.what;
    }
}

// A picture from a file, as the pipeline receives it at the panel's start settings (contrast 255,
// white balance 170: a black level of 8) and at others.
TEST(FitsImage, MappedToTheSixBitLevels)
{
    struct Mapped {
        int type;
        double value;
        uint16_t contrast;
        uint16_t whiteBalance;
        uint8_t level;
    };
    const Mapped cases[] = {
        {BYTE_IMG, 0, 255, 170, 8},        {BYTE_IMG, 128, 255, 170, 40},     {BYTE_IMG, 255, 255, 170, 63},
        {BYTE_IMG, 255, 255, 130, 63},     {BYTE_IMG, 128, 255, 130, 32},     {BYTE_IMG, 128, 100, 130, 12},
        {USHORT_IMG, 65535, 255, 130, 63}, {USHORT_IMG, 16384, 255, 130, 16}, {USHORT_IMG, 16384, 255, 0, 0},
        {USHORT_IMG, 65535, 255, 0, 37},   {USHORT_IMG, 1000, 255, 180, 11},
    };
    for (const Mapped& c : cases) {
        const double value = c.value;
        const fits::FitsReading reading = fits::ReadFitsImage(
            WriteFits({c.type, 320, 240, 1, false, false, [value](long, long, long) { return value; }}));
        ASSERT_FALSE(reading.frame.empty()) << reading.problem;
        CameraSettings settings;
        settings.contrast = c.contrast;
        settings.whiteBalance = c.whiteBalance;
        FrameBytes frame{};
        MapToFrame(reading.frame, settings, frame);
        EXPECT_EQ(frame[0], c.level) << c.value << " at contrast " << c.contrast << ", balance " << c.whiteBalance;
        EXPECT_EQ(frame[kFramePixels - 1], c.level);
    }
}

}  // namespace
}  // namespace nuvix
