#include "capture/BmpWriter.h"
#include "params/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace nuvix {
namespace {

using testing::ReadAll;
using testing::ScratchDir;

uint32_t LittleEndianAt(const std::vector<uint8_t>& bytes, size_t offset, size_t size)
{
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= uint32_t{bytes.at(offset + i)} << (8 * i);
    return value;
}

FrameBytes Pattern()
{
    FrameBytes frame{};
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>((i * 7 + i / 320) & 0xFF);
    return frame;
}

TEST(BmpWriter, HeaderColourTableAndFiller)
{
    ScratchDir dir;
    const std::string path = dir.File("buffer.bmp");
    ASSERT_TRUE(WriteBmp(path, BuildFileInfo(), Pattern()).written);
    const auto bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 77882u);

    const struct {
        size_t offset;
        size_t size;
        uint32_t value;
    } fields[] = {
        {0, 2, 0x4D42}, {2, 4, 77882}, {6, 2, 0},  {8, 2, 0},  {10, 4, 1082}, {14, 4, 40}, {18, 4, 320}, {22, 4, 240},
        {26, 2, 1},     {28, 2, 8},    {30, 4, 0}, {34, 4, 0}, {38, 4, 0},    {42, 4, 0},  {46, 4, 0},   {50, 4, 0},
    };
    for (const auto& f : fields)
        EXPECT_EQ(LittleEndianAt(bytes, f.offset, f.size), f.value) << "offset " << f.offset;
    for (uint32_t k = 0; k < 256; ++k)
        EXPECT_EQ(LittleEndianAt(bytes, 54 + 4 * k, 4), k * 0x010101u) << k;
    EXPECT_EQ(LittleEndianAt(bytes, 1078, 4), 0u);
}

// The pixels go out in buffer order: row 0 of the buffer, the bottom of the picture, first.
TEST(BmpWriter, PixelsInBufferOrder)
{
    FrameBytes topLeftWhite{};
    topLeftWhite[239 * 320] = 255;
    const struct {
        const char* name;
        FrameBytes frame;
    } cases[] = {{"black", FrameBytes{}}, {"top-left white", topLeftWhite}, {"pattern", Pattern()}};

    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string path = dir.File("buffer.bmp");
        ASSERT_TRUE(WriteBmp(path, BuildFileInfo(), c.frame).written) << c.name;
        const auto bytes = ReadAll(path);
        ASSERT_EQ(bytes.size(), 77882u) << c.name;
        EXPECT_TRUE(std::equal(c.frame.begin(), c.frame.end(), bytes.begin() + 1082)) << c.name;
    }
}

TEST(BmpWriter, SecondWriteReplacesTheFirst)
{
    ScratchDir dir;
    const std::string path = dir.File("buffer.bmp");
    ASSERT_TRUE(WriteBmp(path, BuildFileInfo(), Pattern()).written);
    ASSERT_TRUE(WriteBmp(path, BuildFileInfo(), FrameBytes{}).written);
    const auto bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 77882u);
    EXPECT_TRUE(std::all_of(bytes.begin() + 1082, bytes.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"buffer.bmp"});
}

// A write that cannot finish reports it and leaves no partial file, nor a temporary one.
TEST(BmpWriter, FailedWritesLeaveNoPartialFile)
{
    ScratchDir dir;
    const std::string path = dir.File("buffer.bmp");
    ASSERT_TRUE(WriteBmp(path, BuildFileInfo(), Pattern()).written);
    const auto before = ReadAll(path);

    bool diskFull = true;
    {
        const testing::FileSizeLimit limit(1000);
        diskFull = WriteBmp(path, BuildFileInfo(), FrameBytes{}).written;
    }
    EXPECT_FALSE(diskFull);
    EXPECT_FALSE(WriteBmp(dir.File("absent/photo1.bmp"), BuildFileInfo(), Pattern()).written);
    EXPECT_FALSE(WriteBmp(dir.File(""), BuildFileInfo(), Pattern()).written);

    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"buffer.bmp"});
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent")));
}

// A picture of a series is only ever a new file: a picture, or a link even to nothing, in its
// place stays as it was, and nothing is left behind.
TEST(BmpWriter, CreateOnlyNeverReplaces)
{
    ScratchDir dir;
    testing::WriteAll(dir.File("kept.bmp"), {1, 2, 3});
    std::filesystem::create_symlink("kept.bmp", dir.File("link.bmp"));
    std::filesystem::create_symlink("gone.bmp", dir.File("dangling.bmp"));
    for (const char* taken : {"kept.bmp", "link.bmp", "dangling.bmp"}) {
        const files::ReplaceResult result =
            WriteBmp(dir.File(taken), BuildFileInfo(), Pattern(), files::WriteMode::CreateOnly);
        EXPECT_TRUE(!result.written && result.existed) << taken;
        EXPECT_EQ(result.reason, "création de " + dir.File(taken) + " impossible (le fichier existe déjà)");
    }
    EXPECT_EQ(ReadAll(dir.File("kept.bmp")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"dangling.bmp", "kept.bmp", "link.bmp"}));
    EXPECT_TRUE(WriteBmp(dir.File("new.bmp"), BuildFileInfo(), Pattern(), files::WriteMode::CreateOnly).written);
    EXPECT_EQ(ReadAll(dir.File("new.bmp")).size(), 77882u);
}

TEST(BmpWriter, ImageMagickReadsAGreyPicture)
{
    if (!std::filesystem::exists("/usr/bin/identify")) GTEST_SKIP() << "ImageMagick's identify is not installed";
    ScratchDir dir;
    const std::string path = dir.File("photo.bmp");
    ASSERT_TRUE(WriteBmp(path, BuildFileInfo(), Pattern()).written);

    const std::string command = "/usr/bin/identify -format '%m %w %h %z %[type]' '" + path + "' 2>&1";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string output;
    char chunk[256];
    while (const size_t got = std::fread(chunk, 1, sizeof chunk, pipe.get()))
        output.append(chunk, got);
    EXPECT_EQ(output.substr(0, 3), "BMP") << output;
    EXPECT_EQ(output.substr(output.find(' ') + 1), "320 240 8 Grayscale") << output;
}

}  // namespace
}  // namespace nuvix
