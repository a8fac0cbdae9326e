#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace nuvix::fits {

// Where the first picture of a FITS file lies, found by walking its headers without trusting the
// file: cfitsio reads a memory file past its end when the headers say there is more (a BLOB cut
// short, a size that lies), so nothing is handed to it before every HDU up to the picture is known
// to lie within the bytes.
struct PictureLayout {
    int hdu = 0;          // 1 for the primary HDU; 0 when there is no picture to read
    size_t dataEnd = 0;   // where its pixels end
    std::string problem;  // why there is none
};

// The first HDU that holds an uncompressed picture of two or three axes (the primary HDU, or an
// IMAGE extension), among the first 16. The bytes are a whole number of 2880-byte blocks.
PictureLayout FindPicture(std::span<const std::byte> bytes);

}  // namespace nuvix::fits
