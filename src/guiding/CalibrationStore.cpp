#include "guiding/CalibrationStore.h"

namespace nuvix {

namespace {

std::optional<PierSide> ParsePierSide(const std::optional<std::string>& text)
{
    if (!text) return std::nullopt;
    for (PierSide side : {PierSide::East, PierSide::West, PierSide::Unknown}) {
        if (*text == PierSideName(side)) return side;
    }
    return std::nullopt;
}

bool Within(const std::optional<double>& value, double low, double high)
{
    return value && *value >= low && *value <= high;
}

}  // namespace

std::optional<Calibration> ReadCalibration(const files::KeyFile& keys)
{
    const char* group = kCalibrationGroup;
    const std::optional<std::string> mount = keys.GetString(group, "Mount");
    const std::optional<double> raAngle = keys.GetDouble(group, "RaAngle");
    const std::optional<double> raRate = keys.GetDouble(group, "RaRate");
    const std::optional<double> decAngle = keys.GetDouble(group, "DecAngle");
    const std::optional<double> decRate = keys.GetDouble(group, "DecRate");
    const std::optional<double> declination = keys.GetDouble(group, "Declination");
    const std::optional<PierSide> pierSide = ParsePierSide(keys.GetString(group, "PierSide"));
    const std::optional<double> scale = keys.GetDouble(group, "ImageScale");
    // A rate of a pixel per second up to ten thousand, a scale of a hundredth of an arc second up
    // to a degree per pixel: anything else was not written by a calibration.
    if (!mount || mount->empty() || !Within(raAngle, -360, 360) || !Within(decAngle, -360, 360) ||
        !Within(raRate, 1e-3, 1e4) || !Within(decRate, 1e-3, 1e4) || !pierSide || !Within(scale, 0.01, 3600) ||
        (keys.HasKey(group, "Declination") && !Within(declination, -90, 90))) {
        return std::nullopt;
    }
    Calibration calibration;
    calibration.mount = *mount;
    calibration.ra = {*raAngle, *raRate / 1000.0};
    calibration.dec = {*decAngle, *decRate / 1000.0};
    calibration.decDegrees = declination;
    calibration.pierSide = *pierSide;
    calibration.arcsecPerPixel = *scale;
    return calibration;
}

void WriteCalibration(files::KeyFile& keys, const Calibration& calibration)
{
    const char* group = kCalibrationGroup;
    // Rounded: more digits would claim a precision the measure has not. The group keeps its place
    // in the file: GLib reads an "Encoding" key in the first group as the file's own.
    keys.SetString(group, "Mount", calibration.mount);
    keys.SetDouble(group, "RaAngle", calibration.ra.angleDegrees, 2);
    keys.SetDouble(group, "RaRate", calibration.ra.ratePxPerMs * 1000.0, 4);
    keys.SetDouble(group, "DecAngle", calibration.dec.angleDegrees, 2);
    keys.SetDouble(group, "DecRate", calibration.dec.ratePxPerMs * 1000.0, 4);
    if (calibration.decDegrees) {
        keys.SetDouble(group, "Declination", *calibration.decDegrees, 3);
    } else {
        keys.RemoveKey(group, "Declination");
    }
    keys.SetString(group, "PierSide", PierSideName(calibration.pierSide));
    keys.SetDouble(group, "ImageScale", calibration.arcsecPerPixel);
    // The setting beside it is written once, so that the observer finds it in the file.
    if (!keys.GetBool(kMountGroup, "DecFlipAfterPierSideChange")) {
        keys.SetBool(kMountGroup, "DecFlipAfterPierSideChange", true);
        keys.SetComment(kMountGroup, " false for a mount that keeps its declination's sense after a meridian flip");
    }
}

bool DecFlipsAfterPierSideChange(const files::KeyFile& keys)
{
    return keys.GetBool(kMountGroup, "DecFlipAfterPierSideChange").value_or(true);
}

}  // namespace nuvix
