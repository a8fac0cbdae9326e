// Whole runs over real directories that stand in the observer's way: afterwards the disk holds
// what the observer had or this session's settings, complete, and the observer was told.
#include "AppFixture.h"

#include "params/ParamFile.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>

namespace nuvix {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropRoot = 42;

const tparam kObservers{.focalLength = 80.0, .pixelSize = 10.0, .comPort = 1, .contrast = 123, .trackWidth = 300};

// Each instance presses other settings, so that whose were stored shows.
constexpr int kPresses[2][2] = {{366, 351}, {367, 362}};  // contrast 100 and "2s"; contrast 180 and "4s"

tparam AfterPresses(tparam record)
{
    record.contrast = 100;
    record.exposureStep = 248;
    return record;
}

// What one instance told the observer ("Paramètres" boxes), and whether it stored.
struct Seen {
    std::string atStart;
    std::string atClose;
    bool stored = false;
};

struct Told {
    bool atStart;
    bool atClose;
    bool stored;
};

std::vector<Seen> RunInstances(const std::string& path, int count)
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
    std::vector<Seen> seen(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        testing::AppHarness& h = *runs[static_cast<size_t>(i)];
        const size_t beforeClose = h.kit.MessageBoxes().size();
        h.kit.Close(h.Main());
        h.app->CloseMainWindow();
        const auto& boxes = h.kit.MessageBoxes();
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].caption == "Paramètres")
                (b < beforeClose ? seen[i].atStart : seen[i].atClose) += boxes[b].text;
        }
        seen[i].stored = !h.app->ParametersNotStored();
    }
    return seen;
}

// The runs happen in a child process: as an unprivileged user where the case needs one, since root
// reads and writes where an observer cannot; with a file size limit when no full file system could
// be made. Nothing when root could not be dropped.
std::optional<std::vector<Seen>> RunInChild(const std::string& path, int count, bool unprivileged, bool limitSize)
{
    int channel[2];
    if (::pipe(channel) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (unprivileged && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCannotDropRoot);
        }
        if (limitSize) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{50, 50};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::string report;
        for (const Seen& s : RunInstances(path, count))
            report += s.atStart + '\x1f' + s.atClose + '\x1f' + (s.stored ? '1' : '0') + '\x1e';
        const bool sent = ::write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDropRoot) return std::nullopt;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the runs ended abnormally: " << status;

    std::vector<Seen> seen;
    for (size_t start = 0, end; (end = report.find('\x1e', start)) != std::string::npos; start = end + 1) {
        const std::string record = report.substr(start, end - start);
        const size_t a = record.find('\x1f');
        const size_t b = record.find('\x1f', a + 1);
        seen.push_back({record.substr(0, a), record.substr(a + 1, b - a - 1), record.substr(b + 1) == "1"});
    }
    return seen;
}

std::string Contents(const fs::path& path)
{
    if (fs::is_directory(path)) return "<directory>";
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Observers()
{
    const ParamFileBytes bytes = SerializeParams(kObservers);
    return {bytes.begin(), bytes.end()};
}

// A tmpfs with no room left for a new campar.dat; false where this process may not mount.
bool MakeFullFileSystem(const fs::path& dir)
{
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16k") != 0) return false;
    Write(dir / "campar.dat", Observers());
    std::ofstream filler(dir / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64 && filler.write(block.data(), static_cast<std::streamsize>(block.size())); ++i) {
        filler.flush();
    }
    return true;
}

void GiveTreeTo(const fs::path& dir, uid_t user)
{
    ::lchown(dir.c_str(), user, user);
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        ::lchown(entry.path().c_str(), user, user);
}

void MakeRemovable(const fs::path& dir)
{
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_directory() && !entry.is_symlink())
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    }
}

enum class After {
    AsItWas,      // what the observer had, untouched
    ThisSession,  // this session's settings, complete
};

struct Case {
    const char* name;
    void (*prepare)(const fs::path& dir);
    bool unprivileged = false;
    bool fullDisk = false;
    const char* checked = "campar.dat";  // the file that tells what was stored
    After after = After::AsItWas;
    std::string had = Observers();  // what AsItWas finds
    bool fromDefaults = false;      // the session could not use the file's settings
    std::vector<Told> told = {{true, true, false}};
    void (*alsoOnDisk)(const fs::path& dir) = nullptr;
};

TEST(ParameterFileOnDisk, WhatTheObserverHadIsNeverLost)
{
    const Case cases[] = {
        {.name = "unreadable file that may be written",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", Observers());
                 fs::permissions(d / "campar.dat", fs::perms::owner_write);
             },
         .unprivileged = true},
        {.name = "unreadable file, campar.dat.bad a directory",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", Observers());
                 fs::permissions(d / "campar.dat", fs::perms::none);
                 fs::create_directory(d / "campar.dat.bad");
             },
         .unprivileged = true,
         .alsoOnDisk = [](const fs::path& d) { EXPECT_TRUE(fs::is_empty(d / "campar.dat.bad")); }},
        {.name = "damaged file, campar.dat.bad a directory",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", ":garbage");
                 fs::create_directory(d / "campar.dat.bad");
             },
         .after = After::ThisSession,
         .fromDefaults = true,
         .told = {{true, false, true}},
         .alsoOnDisk = [](const fs::path& d) { EXPECT_EQ(Contents(d / "campar.dat.bad.1"), ":garbage"); }},
        {.name = "damaged file, an earlier copy aside",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", ":second");
                 Write(d / "campar.dat.bad", ":first");
             },
         .after = After::ThisSession,
         .fromDefaults = true,
         .told = {{true, false, true}},
         .alsoOnDisk =
             [](const fs::path& d) {
                 EXPECT_EQ(Contents(d / "campar.dat.bad"), ":first");
                 EXPECT_EQ(Contents(d / "campar.dat.bad.1"), ":second");
             }},
        {.name = "symbolic link to a file",
         .prepare =
             [](const fs::path& d) {
                 fs::create_directory(d / "tel");
                 Write(d / "tel/c8.dat", Observers());
                 fs::permissions(d / "tel/c8.dat", fs::perms::owner_read | fs::perms::owner_write);
                 fs::create_symlink("tel/c8.dat", d / "campar.dat");
             },
         .checked = "tel/c8.dat",
         .after = After::ThisSession,
         .told = {{false, false, true}},
         .alsoOnDisk =
             [](const fs::path& d) {
                 EXPECT_TRUE(fs::is_symlink(d / "campar.dat"));
                 EXPECT_EQ(fs::status(d / "tel/c8.dat").permissions(), fs::perms::owner_read | fs::perms::owner_write);
             }},
        {.name = "symbolic link to a missing file",
         .prepare =
             [](const fs::path& d) {
                 fs::create_directory(d / "tel");
                 fs::create_symlink(d / "tel/c8.dat", d / "campar.dat");
             },
         .checked = "tel/c8.dat",
         .after = After::ThisSession,
         .fromDefaults = true,
         .told = {{false, false, true}},
         .alsoOnDisk = [](const fs::path& d) { EXPECT_TRUE(fs::is_symlink(d / "campar.dat")); }},
        {.name = "read-only file",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", Observers());
                 fs::permissions(d / "campar.dat",
                                 fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
             }},
        {.name = "read-only directory",
         .prepare =
             [](const fs::path& d) {
                 Write(d / "campar.dat", Observers());
                 fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec);
             },
         .unprivileged = true},
        {.name = "full file system",
         .prepare = [](const fs::path&) {},
         .fullDisk = true,
         .told = {{false, true, false}}},
        {.name = "campar.dat a directory",
         .prepare = [](const fs::path& d) { fs::create_directory(d / "campar.dat"); },
         .had = "<directory>"},
        {.name = "two instances",
         .prepare = [](const fs::path& d) { Write(d / "campar.dat", Observers()); },
         .after = After::ThisSession,
         .told = {{false, false, true}, {true, true, false}}},
    };

    std::vector<std::string> skipped;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ScratchDir scratch;
        const fs::path dir = scratch / "observer";
        fs::create_directory(dir);
        const bool mounted = c.fullDisk && MakeFullFileSystem(dir);
        if (c.fullDisk && !mounted) Write(dir / "campar.dat", Observers());
        c.prepare(dir);
        if (c.unprivileged && ::geteuid() == 0) GiveTreeTo(dir, kNobody);

        const auto seen = RunInChild((dir / "campar.dat").string(), static_cast<int>(c.told.size()), c.unprivileged,
                                     c.fullDisk && !mounted);
        if (!seen) {
            skipped.push_back(c.name);
            continue;
        }
        ASSERT_EQ(seen->size(), c.told.size());
        for (size_t i = 0; i < c.told.size(); ++i) {
            EXPECT_EQ(!(*seen)[i].atStart.empty(), c.told[i].atStart) << "instance " << i << ": " << (*seen)[i].atStart;
            EXPECT_EQ(!(*seen)[i].atClose.empty(), c.told[i].atClose) << "instance " << i;
            if (c.told[i].atClose) {
                EXPECT_EQ((*seen)[i].atClose.rfind("Paramètres non enregistrés : ", 0), 0u);
            }
            EXPECT_EQ((*seen)[i].stored, c.told[i].stored) << "instance " << i;
        }
        if (c.alsoOnDisk) c.alsoOnDisk(dir);
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
        MakeRemovable(dir);
        if (c.after == After::AsItWas) {
            if (!fs::is_directory(dir / c.checked))
                fs::permissions(dir / c.checked, fs::perms::owner_read, fs::perm_options::add);
            EXPECT_EQ(Contents(dir / c.checked), c.had);
        } else {
            const LoadResult stored = LoadParams((dir / c.checked).string());
            EXPECT_EQ(stored.status, LoadStatus::Loaded);
            tparam expected = AfterPresses(c.fromDefaults ? tparam{} : kObservers);
            // The tracking window keeps the size it was drawn at.
            expected.trackWidth = stored.record.trackWidth;
            expected.trackHeight = stored.record.trackHeight;
            EXPECT_EQ(stored.record, expected);
        }
        if (mounted) ::umount2(dir.c_str(), MNT_DETACH);
    }
    if (!skipped.empty()) GTEST_SKIP() << "root could not be dropped for: " << skipped.front() << " and others";
}

}  // namespace
}  // namespace nuvix
