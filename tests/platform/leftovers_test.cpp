#include "params/TestFiles.h"
#include "platform/files/PendingFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace nuvix::files {
namespace {

namespace fs = std::filesystem;
using nuvix::testing::ScratchDir;
using nuvix::testing::WriteAll;

const std::vector<uint8_t> kOld{'o', 'l', 'd'};

pid_t DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A later start removes what a killed writer left, and only that: a writer still at work (alive, or
// holding its file's lock) and every other name keep their files.
TEST(Leftovers, OnlyThoseOfKilledWritersAreRemoved)
{
    ScratchDir dir;
    const std::string dead = std::to_string(DeadProcess());
    const std::string self = std::to_string(::getpid());
    const std::map<std::string, bool> names = {
        {".campar.dat.tmp-" + dead + "-0", true},
        {".buffer.bmp.tmp-" + dead + "-12", true},
        {".campar.dat.tmp-1-0", false},              // pid 1 runs
        {".campar.dat.tmp-" + self + "-7", false},   // this process holds its lock
        {"campar.dat.tmp-" + dead + "-0", false},    // not hidden
        {".campar.dat.tmp-" + dead + "-0x", false},  // not a number
        {".campar.dat.tmp-" + dead, false},          // no attempt number
        {".campar.dat.bak-" + dead + "-0", false},   // another mark
    };
    for (const auto& [name, removed] : names)
        WriteAll(dir.File(name), kOld);
    const int held = ::open(dir.File(".campar.dat.tmp-" + self + "-7").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    fs::create_directory(dir.File(".photo1.bmp.tmp-" + dead + "-0"));

    RemoveLeftovers(dir.File(""));
    ::close(held);

    for (const auto& [name, removed] : names)
        EXPECT_EQ(fs::exists(dir.File(name)), !removed) << name;
    EXPECT_TRUE(fs::is_directory(dir.File(".photo1.bmp.tmp-" + dead + "-0")));
}

}  // namespace
}  // namespace nuvix::files
