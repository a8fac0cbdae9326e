#include "params/ParamFile.h"
#include "params/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace nuvix {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

const tparam kObservers{
    .focalLength = 80.0, .pixelSize = 10.0, .comPort = 1, .protocol = 0, .trackWidth = 300, .invertRa = true};

TEST(ParamFile, MissingFileGivesTheDefaults)
{
    ScratchDir dir;
    const LoadResult loaded = LoadParams(dir.File("campar.dat"));
    EXPECT_EQ(loaded.status, LoadStatus::Missing);
    EXPECT_EQ(loaded.record, tparam{});
    EXPECT_TRUE(loaded.message.empty());
    EXPECT_TRUE(dir.Names().empty());
}

TEST(ParamFile, StoreThenLoad)
{
    ScratchDir dir;
    const std::string path = dir.File("campar.dat");
    ASSERT_TRUE(SaveParams(path, tparam{}).saved);
    const SaveResult saved = SaveParams(path, kObservers);
    ASSERT_TRUE(saved.saved) << saved.reason;
    EXPECT_EQ(ReadAll(path).size(), kParamFileSize);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"campar.dat"});

    const LoadResult loaded = LoadParams(path);
    EXPECT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_EQ(loaded.record, kObservers);
    EXPECT_TRUE(loaded.message.empty());
    EXPECT_FALSE(loaded.keptAsideAt);
}

// Whatever the damage, the load gives a whole record, says so in French, and copies the file
// aside before the end-of-run store replaces it.
TEST(ParamFile, MalformedFilesAreKeptAside)
{
    const auto valid = SerializeParams(kObservers);
    std::vector<std::vector<uint8_t>> damaged = {{}, {':'}, {0x02, '[', 6, 't', 'p'}};
    for (size_t cut = 1; cut < valid.size(); ++cut)
        damaged.emplace_back(valid.begin(), valid.begin() + cut);
    auto tagZero = std::vector<uint8_t>(valid.begin(), valid.end());
    tagZero[5] = 0;
    damaged.push_back(tagZero);

    for (const auto& bytes : damaged) {
        ScratchDir dir;
        const std::string path = dir.File("campar.dat");
        WriteAll(path, bytes);
        const LoadResult loaded = LoadParams(path);
        EXPECT_EQ(loaded.status, LoadStatus::Malformed) << bytes.size();
        EXPECT_EQ(loaded.message.rfind("Fichier campar.dat illisible : ", 0), 0u) << loaded.message;
        ASSERT_EQ(loaded.keptAsideAt, path + ".bad") << bytes.size();
        EXPECT_EQ(ReadAll(path + ".bad"), bytes);

        ASSERT_TRUE(SaveParams(path, loaded.record).saved);
        EXPECT_EQ(ReadAll(path + ".bad"), bytes);
        EXPECT_EQ(LoadParams(path).status, LoadStatus::Loaded);
    }
}

// Something that is not a plain file is never read (a pipe could block the start for ever) and
// never replaced at the end.
TEST(ParamFile, WhatIsNotAPlainFileIsLeftAlone)
{
    using MakeFn = void (*)(const std::string&);
    const std::pair<const char*, MakeFn> cases[] = {
        {"directory", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"named pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"link to itself", [](const std::string& p) { std::filesystem::create_symlink(p, p); }},
    };
    for (const auto& [name, make] : cases) {
        ScratchDir dir;
        const std::string path = dir.File("campar.dat");
        make(path);
        const LoadResult loaded = LoadParams(path);
        EXPECT_EQ(loaded.status, LoadStatus::Unreadable) << name;
        EXPECT_EQ(loaded.record, tparam{}) << name;
        EXPECT_FALSE(loaded.leaveAsIs.empty()) << name;
        EXPECT_EQ(dir.Names(), std::set<std::string>{"campar.dat"}) << name;
    }
}

// A store that cannot finish leaves the previous file as it was and no temporary file.
TEST(ParamFile, FailedStoreLeavesThePreviousFile)
{
    ScratchDir dir;
    const std::string path = dir.File("campar.dat");
    ASSERT_TRUE(SaveParams(path, kObservers).saved);
    const auto before = ReadAll(path);
    std::filesystem::create_directory(dir.File("occupied"));
    std::filesystem::create_directory(dir.File("occupied/inside"));

    SaveResult diskFull;  // set inside the limit, checked after it
    {
        const testing::FileSizeLimit limit(50);
        diskFull = SaveParams(path, tparam{});
    }
    SaveResult missingDirectory = SaveParams(dir.File("absent/campar.dat"), tparam{});
    SaveResult overDirectory = SaveParams(dir.File("occupied"), tparam{});

    for (const auto* result : {&diskFull, &missingDirectory, &overDirectory}) {
        EXPECT_FALSE(result->saved);
        EXPECT_FALSE(result->reason.empty());
    }
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"campar.dat", "occupied"}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent")));
}

}  // namespace
}  // namespace nuvix
