// Whole runs over real directories that stand in the observer's way: afterwards the disk holds
// what the observer had or this session's settings, complete, and the observer was told.
#include "AppFixture.h"

#include "params/ParamFile.h"

#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>

namespace nuvix {
namespace {

namespace fs = std::filesystem;
using perms = fs::perms;

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropRoot = 42;
const tparam kObservers{.focalLength = 80.0, .pixelSize = 10.0, .comPort = 1, .contrast = 123, .trackWidth = 300};
// Each instance presses other settings, so that whose were stored shows: contrast 100 and "2s",
// then contrast 180 and "4s".
constexpr int kPresses[2][2] = {{366, 351}, {367, 362}};

// Per instance, what it did: told at the Start ('S'), told at the Close ('C'), Wrote the file ('W').
std::string RunInstances(const std::string& path, int count)
{
    std::vector<std::unique_ptr<testing::AppHarness>> runs;
    for (int i = 0; i < count; ++i) {
        testing::AppHarness& h = *runs.emplace_back(std::make_unique<testing::AppHarness>());
        h.paramFile = path;
        h.Start();
        h.kit.AdvanceMs(600);  // the first tick tells what the start found
        for (const int id : kPresses[i])
            h.kit.Click(h.Main(), id);
    }
    std::string did;
    for (const auto& h : runs) {
        const auto told = [&] {
            return std::ranges::count(h->kit.MessageBoxes(), "Paramètres", &headless::RecordedMessageBox::caption);
        };
        const auto atStart = told();
        h->kit.Close(h->Main());
        h->app->CloseMainWindow();
        did += std::string(did.empty() ? "" : " ") + (atStart ? 'S' : '-') + (told() > atStart ? 'C' : '-') +
               (h->app->ParametersNotStored() ? '-' : 'W');
    }
    return did;
}

// The runs happen in a child process: as an unprivileged user where the case needs one, since root
// reads and writes where an observer cannot; with a file size limit when no full file system could
// be made. Nothing when root could not be dropped.
std::optional<std::string> RunInChild(const std::string& path, int count, bool unprivileged, bool limitSize)
{
    int channel[2];
    if (::pipe(channel) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        if (unprivileged && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCannotDropRoot);
        }
        if (limitSize) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{50, 50};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const std::string did = RunInstances(path, count);
        ::_exit(::write(channel[1], did.data(), did.size()) == static_cast<ssize_t>(did.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string did(16, '\0');
    did.resize(static_cast<size_t>(std::max<ssize_t>(0, ::read(channel[0], did.data(), did.size()))));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDropRoot) return std::nullopt;
    EXPECT_EQ(status, 0) << "the runs ended abnormally";
    return did;
}

std::string Contents(const fs::path& path)
{
    if (fs::is_directory(path)) return "<directory>";
    std::error_code missing;
    fs::permissions(path, perms::owner_read, fs::perm_options::add, missing);
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes, perms mode = perms::owner_read | perms::owner_write)
{
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, mode);
}

std::string Observers()
{
    const ParamFileBytes bytes = SerializeParams(kObservers);
    return {bytes.begin(), bytes.end()};
}

// A tmpfs holding the observer's file and no room for a new one; false where this process may not
// mount, and the file is then written in the plain directory.
bool MakeFullFileSystem(const fs::path& dir)
{
    const bool mounted = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16k") == 0;
    Write(dir / "campar.dat", Observers());
    if (mounted) Write(dir / "filler", std::string(16 * 1024, 'x'));
    return mounted;
}

struct Case {
    const char* name;
    void (*prepare)(const fs::path& dir);
    const char* did = "SC-";  // what each instance did (RunInstances)
    const char* checked = "campar.dat";
    std::optional<tparam> stored = {};  // what `checked` holds afterwards: this session's record, or unset
    std::string had = Observers();      // for unset: what the observer had
    std::vector<std::pair<const char*, const char*>> keptAside = {};  // damaged files, kept under these names
    bool unprivileged = false;
    bool fullDisk = false;
};

tparam Pressed(tparam record)
{
    record.contrast = 100;
    record.exposureStep = 248;
    return record;
}

TEST(ParameterFileOnDisk, WhatTheObserverHadIsNeverLost)
{
    const Case cases[] = {
        {.name = "unreadable file that may be written",
         .prepare = [](const fs::path& d) { Write(d / "campar.dat", Observers(), perms::owner_write); },
         .unprivileged = true},
        {.name = "unreadable file, campar.dat.bad a directory",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", Observers(), perms::none);
                 fs::create_directory(d / "campar.dat.bad");
             },
         .unprivileged = true},
        {.name = "damaged file, campar.dat.bad a directory",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", ":garbage");
                 fs::create_directory(d / "campar.dat.bad");
             },
         .did = "S-W",
         .stored = Pressed({}),
         .keptAside = {{"campar.dat.bad.1", ":garbage"}}},
        {.name = "damaged file, an earlier copy aside",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", ":second");
                 Write(d / "campar.dat.bad", ":first");
             },
         .did = "S-W",
         .stored = Pressed({}),
         .keptAside = {{"campar.dat.bad", ":first"}, {"campar.dat.bad.1", ":second"}}},
        {.name = "chain of symbolic links",
         .prepare =
             [](const fs::path& d) {
                 fs::create_directory(d / "tel");
                 Write(d / "tel/c8.dat", Observers(), perms::owner_read | perms::owner_write | perms::group_read);
                 fs::create_symlink("tel/current", d / "campar.dat");
                 fs::create_symlink("c8.dat", d / "tel/current");
             },
         .did = "--W",
         .checked = "tel/c8.dat",
         .stored = Pressed(kObservers)},
        {.name = "symbolic link to a missing file",
         .prepare =
             [](const fs::path& d) {
                 fs::create_directory(d / "tel");
                 fs::create_symlink(d / "tel/c8.dat", d / "campar.dat");
             },
         .did = "--W",
         .checked = "tel/c8.dat",
         .stored = Pressed({})},
        {.name = "read-only file",
         .prepare = [](const fs::path& d) { Write(d / "campar.dat", Observers(), perms::owner_read); }},
        {.name = "read-only directory",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", Observers());
                 fs::permissions(d, perms::owner_read | perms::owner_exec);
             },
         .unprivileged = true},
        {.name = "full file system", .prepare = [](const fs::path&) {}, .did = "-C-", .fullDisk = true},
        {.name = "campar.dat a directory",
         .prepare = [](const fs::path& d) { fs::create_directory(d / "campar.dat"); },
         .had = "<directory>"},
        {.name = "two instances",
         .prepare = [](const fs::path& d) { Write(d / "campar.dat", Observers()); },
         .did = "--W SC-",
         .stored = Pressed(kObservers)},
    };

    std::vector<std::string> skipped;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ScratchDir scratch;
        const fs::path dir = scratch / "observer";
        fs::create_directory(dir);
        const bool mounted = c.fullDisk && MakeFullFileSystem(dir);
        c.prepare(dir);
        const fs::file_status before = fs::status(dir / c.checked);
        if (c.unprivileged && ::geteuid() == 0) {
            for (const auto& entry : fs::recursive_directory_iterator(dir))
                ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
            ASSERT_EQ(::lchown(dir.c_str(), kNobody, kNobody), 0);
        }

        const int instances = static_cast<int>(std::string_view(c.did).size() + 1) / 4;
        const auto did = RunInChild((dir / "campar.dat").string(), instances, c.unprivileged, c.fullDisk && !mounted);
        if (!did) {
            skipped.push_back(c.name);
            continue;
        }
        EXPECT_EQ(*did, c.did);
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
        }
        if (c.stored) {
            if (fs::exists(before)) {
                EXPECT_EQ(fs::status(dir / c.checked).permissions(), before.permissions());
            }
            const LoadResult loaded = LoadParams((dir / c.checked).string());
            tparam expected = *c.stored;
            // The tracking window keeps the size it was drawn at.
            expected.trackWidth = loaded.record.trackWidth;
            expected.trackHeight = loaded.record.trackHeight;
            EXPECT_EQ(loaded.status, LoadStatus::Loaded);
            EXPECT_EQ(loaded.record, expected);
        } else {
            fs::permissions(dir, perms::owner_all, fs::perm_options::add);
            EXPECT_EQ(Contents(dir / c.checked), c.had);
        }
        for (const auto& [name, bytes] : c.keptAside)
            EXPECT_EQ(Contents(dir / name), bytes) << name;
        // The observer's link stays a link.
        EXPECT_EQ(fs::is_symlink(dir / "campar.dat"), std::string_view(c.checked) != "campar.dat");
        if (mounted) ::umount2(dir.c_str(), MNT_DETACH);
        fs::permissions(dir, perms::owner_all, fs::perm_options::add);
    }
    if (!skipped.empty()) GTEST_SKIP() << "root could not be dropped for " << skipped.size() << " cases";
}

}  // namespace
}  // namespace nuvix
