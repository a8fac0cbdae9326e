#include "platform/fits/FitsImage.h"

#include "camera/FrameReducer.h"
#include "platform/fits/FitsLayout.h"

#include <fitsio.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace nuvix::fits {

namespace {

constexpr long kLongestSide = 65536;
constexpr long long kMostPixels = 8192LL * 8192;
constexpr size_t kBlock = 2880;
constexpr long kMostBinning = 64;

size_t RoundUp(size_t n)
{
    return (n + kBlock - 1) / kBlock * kBlock;
}

struct FileCloser {
    void operator()(fitsfile* file) const
    {
        int status = 0;
        fits_close_file(file, &status);
    }
};
using File = std::unique_ptr<fitsfile, FileCloser>;

FitsReading Unreadable(std::string problem)
{
    FitsReading reading;
    reading.problem = std::move(problem);
    return reading;
}

PixelType TypeOf(int equivalentType)
{
    switch (equivalentType) {
    case BYTE_IMG:
        return PixelType::Unsigned8;
    case SBYTE_IMG:
        return PixelType::Signed8;
    case SHORT_IMG:
        return PixelType::Signed16;
    case USHORT_IMG:
        return PixelType::Unsigned16;
    case LONG_IMG:
        return PixelType::Signed32;
    case ULONG_IMG:
        return PixelType::Unsigned32;
    case LONGLONG_IMG:
        return PixelType::Signed64;
    case ULONGLONG_IMG:
        return PixelType::Unsigned64;
    case DOUBLE_IMG:
        return PixelType::Float64;
    default:
        return PixelType::Float32;  // or integers with a scale of their own
    }
}

// The camera's own binning, as its driver wrote it; 1 when it did not.
int CameraBinning(fitsfile* file, int& status)
{
    long binning = 1;
    if (fits_read_key(file, TLONG, "XBINNING", &binning, nullptr, &status) != 0) {
        status = 0;
        binning = 1;
    }
    return static_cast<int>(std::clamp(binning, 1L, kMostBinning));
}

bool TopDown(fitsfile* file, int& status)
{
    char value[FLEN_VALUE] = {};
    if (fits_read_key_str(file, "ROWORDER", value, nullptr, &status) == KEY_NO_EXIST) {
        status = 0;
        return false;
    }
    return status == 0 && std::strcmp(value, "TOP-DOWN") == 0;
}

FitsReading Read(fitsfile* file, const PictureLayout& layout, int& status)
{
    int hduType = 0;
    LONGLONG headStart = 0;
    LONGLONG dataStart = 0;
    LONGLONG dataEnd = 0;
    // cfitsio must find the picture where the walk did, or it might read beyond the bytes.
    if (fits_movabs_hdu(file, layout.hdu, &hduType, &status) || hduType != IMAGE_HDU ||
        fits_get_hduaddrll(file, &headStart, &dataStart, &dataEnd, &status) ||
        static_cast<size_t>(dataEnd) > RoundUp(layout.dataEnd)) {
        return Unreadable("a picture the FITS library sees elsewhere");
    }
    int axes = 0;
    int type = 0;
    long size[3] = {1, 1, 1};
    if (fits_get_img_dim(file, &axes, &status) || fits_get_img_equivtype(file, &type, &status) ||
        fits_get_img_size(file, 3, size, &status)) {
        return Unreadable("unreadable picture header");
    }
    const long width = size[0];
    const long height = size[1];
    if (width < 1 || height < 1 || width > kLongestSide || height > kLongestSide ||
        static_cast<long long>(width) * height > kMostPixels) {
        return Unreadable("picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    }
    const int planes = axes >= 3 && size[2] == 3 ? 3 : 1;
    const bool topDown = TopDown(file, status);
    const PixelType pixelType = TypeOf(type);
    const int binning = CameraBinning(file, status) * FitToFrame(static_cast<int>(width), static_cast<int>(height)).bin;
    FrameReducer reducer(static_cast<int>(width), static_cast<int>(height), planes, topDown, FullScale(pixelType));
    std::vector<double> row(static_cast<size_t>(std::max(reducer.ColumnCount(), 0)));
    double blank = 0.0;  // undefined pixels, NaN among them, count as black
    int anyBlank = 0;
    for (int plane = 0; plane < planes; ++plane) {
        for (int y = 0; y < height; ++y) {
            if (!reducer.UsesRow(y)) continue;
            long first[3] = {reducer.FirstColumn() + 1L, y + 1L, plane + 1L};
            if (fits_read_pix(file, TDOUBLE, first, reducer.ColumnCount(), &blank, row.data(), &anyBlank, &status)) {
                return Unreadable("picture data cut short");
            }
            reducer.AddRow(y, row);
        }
    }
    return {reducer.Take(), pixelType, binning, {}};
}

}  // namespace

FitsReading ReadFitsImage(std::span<const std::byte> bytes)
{
    // A FITS file is made of whole blocks; a BLOB that stops short of its last block's padding
    // gets it here, so that cfitsio, which reads whole blocks, stays within the copy.
    std::vector<std::byte> copy(RoundUp(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    const PictureLayout layout = FindPicture(copy);
    if (layout.hdu == 0) return Unreadable(layout.problem);
    void* memory = copy.data();
    size_t length = copy.size();
    int status = 0;
    fitsfile* opened = nullptr;
    FitsReading reading;
    if (fits_open_memfile(&opened, "frame", READONLY, &memory, &length, 0, nullptr, &status) == 0) {
        const File file(opened);
        reading = Read(file.get(), layout, status);
    } else {
        reading.problem = "not a FITS file";
    }
    if (status != 0) fits_clear_errmsg();
    return reading;
}

}  // namespace nuvix::fits
