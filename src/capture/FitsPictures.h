#pragma once

#include "camera/CameraImage.h"
#include "capture/PictureRecord.h"
#include "image/FrameGeometry.h"
#include "platform/files/ReplaceFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nuvix {

// What a FITS picture's header tells beside its pixels.
struct PictureFacts {
    std::optional<Exposure> exposure;  // DATE-OBS, EXPTIME, GAIN and OFFSET; none before any frame
    int32_t combined = 1;              // NCOMBINE
    std::string instrument;            // INSTRUME: the camera
    std::string telescope;             // TELESCOP: the mount; empty when none is known
    double focalLengthCm = 0.0;        // FOCALLEN, in millimetres in the file; left out unless positive
    double pixelSizeUm = 0.0;          // XPIXSZ and YPIXSZ; left out unless positive
    int binning = 1;                   // XBINNING and YBINNING
    std::optional<double> raDegrees;   // RA and DEC, where the mount reports it points
    std::optional<double> decDegrees;
};

// "2026-12-07T21:00:00.250": the UTC date and time, to the millisecond.
std::string FitsDate(int64_t utcMs);

// A frame as a FITS file: at the camera's own depth when `picture` is given, otherwise the
// system camera's six-bit levels as they came.
files::ReplaceResult WriteFrameFits(const std::string& path, const FrameBytes& levels, const CameraPicture* picture,
                                    const PictureFacts& facts, files::WriteMode mode);

// The integration as a FITS file: the sum of the frames added (each entry less the 1 it starts
// at), 32-bit integers, and their mean as the extension "AVERAGE".
files::ReplaceResult WriteSumFits(const std::string& path, std::span<const int32_t> sumFrame,
                                  const PictureFacts& facts);

}  // namespace nuvix
