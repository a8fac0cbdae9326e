#include "capture/FitsPictures.h"

#include "platform/fits/FitsWriter.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace nuvix {

namespace {

constexpr const char* kCreator = "Nuvix " NUVIX_VERSION;
constexpr double kMillimetresPerCentimetre = 10.0;

void Add(std::vector<fits::Card>& cards, const char* keyword, std::variant<std::string, int64_t, double> value,
         const char* comment)
{
    cards.push_back({keyword, std::move(value), comment});
}

// The cards every picture carries, in the order the usual processing programs list them.
std::vector<fits::Card> Cards(const PictureFacts& facts)
{
    std::vector<fits::Card> cards;
    if (facts.exposure) {
        Add(cards, "DATE-OBS", FitsDate(facts.exposure->startUtcMs), "UTC start of the exposure");
        Add(cards, "EXPTIME", facts.exposure->seconds, "[s] exposure time");
    }
    Add(cards, "NCOMBINE", int64_t{facts.combined}, "frames added into this picture");
    Add(cards, "IMAGETYP", std::string("Light Frame"), "type of picture");
    Add(cards, "INSTRUME", facts.instrument, "camera");
    if (!facts.telescope.empty()) Add(cards, "TELESCOP", facts.telescope, "mount");
    if (facts.focalLengthCm > 0.0) {
        Add(cards, "FOCALLEN", facts.focalLengthCm * kMillimetresPerCentimetre, "[mm] focal length");
    }
    if (facts.pixelSizeUm > 0.0) {
        Add(cards, "XPIXSZ", facts.pixelSizeUm, "[um] pixel width, binning included");
        Add(cards, "YPIXSZ", facts.pixelSizeUm, "[um] pixel height, binning included");
    }
    Add(cards, "XBINNING", int64_t{facts.binning}, "sensor pixels per picture pixel");
    Add(cards, "YBINNING", int64_t{facts.binning}, "sensor pixels per picture pixel");
    if (facts.exposure) {
        Add(cards, "GAIN", int64_t{facts.exposure->contrast}, "camera contrast setting");
        Add(cards, "OFFSET", int64_t{facts.exposure->whiteBalance}, "camera white balance setting");
    }
    if (facts.raDegrees && facts.decDegrees) {
        Add(cards, "RA", *facts.raDegrees, "[deg] mount right ascension, of date");
        Add(cards, "DEC", *facts.decDegrees, "[deg] mount declination, of date");
    }
    Add(cards, "ROWORDER", std::string("BOTTOM-UP"), "first row is the bottom of the picture");
    Add(cards, "SWCREATE", std::string(kCreator), "software that wrote the file");
    return cards;
}

files::ReplaceResult Write(const std::string& path, std::span<const fits::Picture> pictures, files::WriteMode mode)
{
    const fits::Encoded file = fits::EncodeFits(pictures);
    if (file.bytes.empty()) return {false, file.problem};
    return files::ReplaceFile(path, {file.bytes}, mode);
}

}  // namespace

std::string FitsDate(int64_t utcMs)
{
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds(utcMs)};
    const sys_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(time - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

files::ReplaceResult WriteFrameFits(const std::string& path, const FrameBytes& levels, const CameraPicture* picture,
                                    const PictureFacts& facts, files::WriteMode mode)
{
    std::vector<double> values(levels.begin(), levels.end());
    PixelType type = PixelType::Unsigned8;
    if (picture && picture->frame.size() == values.size()) {
        type = picture->type;
        const double fullScale = FullScale(type);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = picture->frame[i] * fullScale;
    }
    const fits::Picture frame{kFrameWidth, kFrameHeight, type, values, {}, Cards(facts)};
    return Write(path, {&frame, 1}, mode);
}

files::ReplaceResult WriteSumFits(const std::string& path, std::span<const int32_t> sumFrame, const PictureFacts& facts)
{
    std::vector<double> sum(sumFrame.begin(), sumFrame.end());
    std::vector<double> average(sum.size());
    for (size_t i = 0; i < sum.size(); ++i) {
        sum[i] -= 1.0;  // every entry starts at 1
        average[i] = facts.combined > 0 ? sum[i] / facts.combined : 0.0;
    }
    const fits::Picture pictures[] = {
        {kFrameWidth, kFrameHeight, PixelType::Signed32, sum, {}, Cards(facts)},
        {kFrameWidth,
         kFrameHeight,
         PixelType::Float32,
         average,
         "AVERAGE",
         {{"NCOMBINE", int64_t{facts.combined}, "mean of this many frames"}}},
    };
    return Write(path, pictures, files::WriteMode::Replace);
}

}  // namespace nuvix
