#include "params/TestFiles.h"
#include "platform/files/PendingFile.h"
#include "platform/files/ReplaceFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

namespace nuvix::files {
namespace {

namespace fs = std::filesystem;
using nuvix::testing::ReadAll;
using nuvix::testing::ScratchDir;
using nuvix::testing::WriteAll;

const std::vector<uint8_t> kOld{'o', 'l', 'd'};
const std::vector<uint8_t> kNew{'n', 'e', 'w', '!'};

// Every entry of the directory tree: a link's target, or a file's bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_symlink()) {
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            const auto bytes = ReadAll(entry.path().string());
            entries[name] = std::string(bytes.begin(), bytes.end());
        } else {
            entries[name] = "<other>";
        }
    }
    return entries;
}

mode_t ModeOf(const fs::path& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

void WriteWithMode(const fs::path& path, mode_t mode)
{
    WriteAll(path.string(), kOld);
    ::chmod(path.c_str(), mode);
}

// The replacement goes where the observer's links lead, keeps the permission bits, and refuses
// whatever is not a writable plain file; nothing else in the directory changes.
TEST(ReplaceFile, KeepsWhatTheObserverSet)
{
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& dir);
        const char* written;  // the file that gets the new bytes; null when refused
        mode_t mode;          // its permission bits afterwards (0: the usual ones of a new file)
        const char* refusal;  // part of the reason when refused
    };
    const Case cases[] = {
        {"new file", [](const fs::path&) {}, "campar.dat", 0, nullptr},
        {"private file", [](const fs::path& d) { WriteWithMode(d / "campar.dat", 0600); }, "campar.dat", 0600, nullptr},
        {"group-writable file", [](const fs::path& d) { WriteWithMode(d / "campar.dat", 0664); }, "campar.dat", 0664,
         nullptr},
        {"chain of relative links",
         [](const fs::path& d) {
             fs::create_directory(d / "tel");
             WriteWithMode(d / "tel/c8.dat", 0640);
             fs::create_symlink("tel/hop", d / "campar.dat");
             fs::create_symlink("c8.dat", d / "tel/hop");
         },
         "tel/c8.dat", 0640, nullptr},
        {"absolute link to a missing file",
         [](const fs::path& d) {
             fs::create_directory(d / "tel");
             fs::create_symlink(d / "tel/new.dat", d / "campar.dat");
         },
         "tel/new.dat", 0, nullptr},
        {"read-only file", [](const fs::path& d) { WriteWithMode(d / "campar.dat", 0444); }, nullptr, 0,
         "protégé en écriture"},
        {"read-only target of a link",
         [](const fs::path& d) {
             WriteWithMode(d / "c8.dat", 0400);
             fs::create_symlink("c8.dat", d / "campar.dat");
         },
         nullptr, 0, "protégé en écriture"},
        {"directory", [](const fs::path& d) { fs::create_directory(d / "campar.dat"); }, nullptr, 0, "répertoire"},
        {"named pipe", [](const fs::path& d) { ::mkfifo((d / "campar.dat").c_str(), 0666); }, nullptr, 0,
         "pas un fichier ordinaire"},
        {"loop of links",
         [](const fs::path& d) {
             fs::create_symlink("other", d / "campar.dat");
             fs::create_symlink("campar.dat", d / "other");
         },
         nullptr, 0, "trop de liens"},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        const fs::path dir = fs::path(scratch.File(""));
        c.prepare(dir);
        const std::string path = (dir / "campar.dat").string();
        auto expected = Snapshot(dir);
        EXPECT_EQ(ReplaceObstacle(path).empty(), c.written != nullptr) << c.name << ": " << ReplaceObstacle(path);

        const ReplaceResult result = ReplaceFile(path, {kNew});

        EXPECT_EQ(result.written, c.written != nullptr) << c.name << ": " << result.reason;
        if (c.written) {
            expected[c.written] = std::string(kNew.begin(), kNew.end());
            if (c.mode != 0) {
                EXPECT_EQ(ModeOf(dir / c.written), c.mode) << c.name;
            }
        } else {
            EXPECT_NE(result.reason.find(c.refusal), std::string::npos) << c.name << ": " << result.reason;
        }
        EXPECT_EQ(Snapshot(dir), expected) << c.name;
    }
}

pid_t DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A later start removes what a killed writer left, and only that: a writer still at work (alive, or
// holding its file's lock) and every other name keep their files.
TEST(ReplaceFile, LeftoversOfKilledWritersOnlyAreRemoved)
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
