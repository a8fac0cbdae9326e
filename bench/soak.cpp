// The soak: the whole program on the headless desktop and the simulator's fake clock, guiding
// the simulated mount, showing the integrated sum stretched and taking a photo series, for a
// million frames (27.8 hours at 10 frames a second). Its memory and open files must stay flat,
// the series must take its pictures, no error box may open, and the guide star must stay on
// its reference.
//
//   soak [frames] [--near-wrap]
//
// --near-wrap starts the clock (the telescope pointed then) so that its sign change at 24.8
// days falls in the middle of the run; a short run of it is a test.
#include "GuidedSession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenFiles()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// The pictures of the series so far, removed so that a long soak does not fill the disk.
int TakePictures(const fs::path& dir)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".bmp") continue;
        if (fs::file_size(entry.path()) == 77'882) ++count;
        fs::remove(entry.path());
    }
    return count;
}

}  // namespace

int main(int argc, char** argv)
{
    long frames = 1'000'000;
    bool nearWrap = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--near-wrap") == 0) {
            nearWrap = true;
        } else {
            frames = std::strtol(argv[i], nullptr, 10);
        }
    }
    std::random_device seed;
    const fs::path dir = fs::temp_directory_path() / ("nuvix-soak-" + std::to_string(seed()));
    fs::create_directories(dir);
    const fs::path savedDirectory = fs::current_path();
    fs::current_path(dir);

    const int64_t startMs = nearWrap ? (int64_t{1} << 31) - frames * 50 : 0;  // half the run at 100 ms a frame
    nuvix::sim::SkyScene scene;
    scene.pointedAtNs = startMs * 1'000'000;
    nuvix::bench::GuidedSession session(dir, scene);
    session.kit.Clock().AdvanceMs(startMs);
    session.Start();
    session.ShowStretchedSum();
    const int64_t seriesIntervalNs = nearWrap ? 10'000'000'000 : 60'000'000'000;
    session.StartSeries(nearWrap ? "10" : "1", nearWrap ? 0 : 1, (dir / "Soak.bmp").string());
    const int64_t seriesStartNs = session.kit.Clock().NowNs();
    session.kit.ClearRecords();  // the start's message; from now on any box is a failure

    const long warmUp = std::min(frames / 10, 20'000L);
    const long sampleEvery = std::max(frames / 20, 1L);
    long rssAtWarmUp = 0;
    long rssPeak = 0;
    int filesAtWarmUp = 0;
    int filesMost = 0;
    int pictures = 0;
    int picturesAfterWrap = 0;
    double worstError = 0.0;
    const long startFrames = session.camera.FramesSent();
    const auto starNow = [&] { return session.sky.GuideStarAt(session.camera.LastExposure().timeNs); };
    const nuvix::sim::SkyPoint reference = starNow();
    bool boxes = false;
    std::printf("frame  simulated-days  rss-KiB  open-files  pictures  guide-error-px\n");
    while (session.camera.FramesSent() - startFrames < frames) {
        if (!session.kit.AdvanceToNextTimer()) break;
        const long done = session.camera.FramesSent() - startFrames;
        // Where the star truly is, against where it stood when guiding started.
        const nuvix::sim::SkyPoint star = starNow();
        worstError = std::max(worstError, std::hypot(star.x - reference.x, star.y - reference.y));
        if (done % 100 != 0) continue;
        // The test desktop's own logs grow by design; the program's state must not.
        if (!session.kit.MessageBoxes().empty()) {
            boxes = true;
            std::printf("box: %s\n", session.kit.MessageBoxes().front().text.c_str());
            break;
        }
        session.kit.ClearRecords();
        const int taken = TakePictures(dir);
        pictures += taken;
        if (session.kit.Clock().PeekMilliseconds() < 0) picturesAfterWrap += taken;
        if (done % 1000 != 0) continue;
        const long rss = ResidentKiB();
        const int files = OpenFiles();
        rssPeak = std::max(rssPeak, rss);
        filesMost = std::max(filesMost, files);
        if (rssAtWarmUp == 0 && done >= warmUp) {
            rssAtWarmUp = rss;
            filesAtWarmUp = files;
        }
        if (done % sampleEvery == 0 || done == frames) {
            std::printf("%7ld  %6.2f  %7ld  %3d  %6d  %5.1f\n", done,
                        static_cast<double>(session.kit.Clock().NowNs()) / 86'400e9, rss, files, pictures, worstError);
            std::fflush(stdout);
        }
    }
    const long done = session.camera.FramesSent() - startFrames;
    const int64_t endNs = session.kit.Clock().NowNs();
    const long rssEnd = ResidentKiB();
    const int filesEnd = OpenFiles();
    boxes = boxes || !session.kit.MessageBoxes().empty();
    std::printf(
        "frames %ld, %.2f simulated days; resident memory after warm-up %ld KiB, end %ld KiB, peak %ld KiB; "
        "open files after warm-up %d, end %d, most %d; pictures %d (%d after the clock's sign change); "
        "largest guide error %.1f px\n",
        done, static_cast<double>(endNs) / 86'400e9, rssAtWarmUp, rssEnd, rssPeak, filesAtWarmUp, filesEnd, filesMost,
        pictures, picturesAfterWrap, worstError);

    session.app.reset();
    fs::current_path(savedDirectory);
    fs::remove_all(dir);

    bool failed = false;
    const auto fail = [&](const char* why) {
        std::printf("FAILED: %s\n", why);
        failed = true;
    };
    if (done < frames) fail("the program stopped acquiring");
    if (boxes) fail("an error box opened");
    if (rssEnd - rssAtWarmUp > 2048) fail("resident memory grew by more than 2 MiB after warm-up");
    if (filesEnd != filesAtWarmUp) fail("open files changed after warm-up");
    const int64_t due = (endNs - seriesStartNs) / seriesIntervalNs;
    if (pictures < due * 9 / 10) fail("the photo series took too few pictures");
    if (nearWrap && picturesAfterWrap == 0) fail("the photo series stopped at the clock's sign change");
    if (worstError > 3.0) fail("the guide star left its reference");
    return failed ? 1 : 0;
}
