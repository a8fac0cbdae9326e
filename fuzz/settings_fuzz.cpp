// Feeds arbitrary bytes to the settings file's reader and the calibration stored in it.
#include "guiding/CalibrationStore.h"
#include "platform/files/KeyFile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nuvix;
    files::KeyFile keys;
    std::string problem;
    if (!keys.Parse(std::string_view(reinterpret_cast<const char*>(data), size), problem)) {
        if (problem.empty()) std::abort();
        return 0;
    }
    // A calibration read is a usable model; written back and read again it is the same.
    if (const std::optional<Calibration> read = ReadCalibration(keys)) {
        if (!(read->ra.ratePxPerMs > 0.0) || !(read->dec.ratePxPerMs > 0.0) || !std::isfinite(read->ra.angleDegrees) ||
            !(read->arcsecPerPixel > 0.0) || read->mount.empty()) {
            std::abort();
        }
        WriteCalibration(keys, *read);
        files::KeyFile again;
        if (!again.Parse(keys.Text(), problem)) std::abort();
        const std::optional<Calibration> reread = ReadCalibration(again);
        if (!reread || reread->mount != read->mount || reread->pierSide != read->pierSide) std::abort();
    }
    // Whatever the other groups hold, the text written back parses again.
    files::KeyFile rewritten;
    if (!rewritten.Parse(keys.Text(), problem)) std::abort();
    return 0;
}
