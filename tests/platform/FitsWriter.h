#pragma once

#include <fitsio.h>

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <vector>

namespace nuvix::testing {

// How the test writes a picture: pixel(x, y from the top, plane) is stored with the FITS type
// code (BYTE_IMG, USHORT_IMG, FLOAT_IMG...), first row the bottom unless topDown says otherwise.
struct FitsPicture {
    int type = BYTE_IMG;
    long width = 320;
    long height = 240;
    long planes = 1;
    bool topDown = false;
    bool compressed = false;  // tile-compressed (Rice), as a .fits.fz; USHORT_IMG only
    std::function<double(long x, long y, long plane)> pixel;
    int axes = 0;              // 0: two, or three with planes
    bool inExtension = false;  // after an empty primary HDU
};

// The FITS file's bytes; empty when cfitsio refused to write it.
inline std::vector<std::byte> WriteFits(const FitsPicture& picture)
{
    void* memory = nullptr;
    size_t size = 0;
    fitsfile* file = nullptr;
    int status = 0;
    if (fits_create_memfile(&file, &memory, &size, 2880, std::realloc, &status)) return {};
    // A compressed picture is always an extension.
    if (picture.compressed || picture.inExtension) fits_create_img(file, BYTE_IMG, 0, nullptr, &status);
    if (picture.compressed) fits_set_compression_type(file, RICE_1, &status);
    long axes[3] = {picture.width, picture.height, picture.planes};
    const int naxis = picture.axes > 0 ? picture.axes : picture.planes > 1 ? 3 : 2;
    fits_create_img(file, picture.type, naxis, axes, &status);
    if (picture.topDown) {
        char value[] = "TOP-DOWN";
        fits_write_key_str(file, "ROWORDER", value, "Row Order", &status);
    }
    std::vector<double> row(static_cast<size_t>(picture.width));
    std::vector<unsigned short> packed(row.size());  // a compressed picture is written in its own type
    for (long p = 0; p < picture.planes && status == 0; ++p) {
        for (long r = 0; r < picture.height && status == 0; ++r) {
            const long y = picture.topDown ? r : picture.height - 1 - r;
            for (long x = 0; x < picture.width; ++x)
                row[static_cast<size_t>(x)] = picture.pixel(x, y, p);
            long first[3] = {1, r + 1, p + 1};
            if (picture.compressed) {
                for (size_t x = 0; x < row.size(); ++x)
                    packed[x] = static_cast<unsigned short>(row[x]);
                fits_write_pix(file, TUSHORT, first, picture.width, packed.data(), &status);
            } else {
                fits_write_pix(file, TDOUBLE, first, picture.width, row.data(), &status);
            }
        }
    }
    fits_close_file(file, &status);
    std::vector<std::byte> bytes;
    if (status == 0) bytes.assign(static_cast<std::byte*>(memory), static_cast<std::byte*>(memory) + size);
    std::free(memory);
    return bytes;
}

}  // namespace nuvix::testing
