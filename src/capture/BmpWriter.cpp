#include "capture/BmpWriter.h"

#include "platform/files/ReplaceFile.h"

#include <array>

namespace nuvix {

namespace {

using FileHeader = std::array<uint8_t, kBmpFileHeaderSize>;

// Packed: bfSize follows the two type bytes with no gap.
FileHeader BuildFileHeader()
{
    FileHeader header{};
    const auto put32 = [&](size_t offset, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            header[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, kBmpFileSize);
    // bfReserved1 and bfReserved2 (offsets 6 and 8) stay zero.
    put32(10, kBmpPixelOffset);
    return header;
}

}  // namespace

files::ReplaceResult WriteBmp(const std::string& path, const BitmapInfoBlock& fileInfo, const FrameBytes& frame,
                              files::WriteMode mode)
{
    const FileHeader header = BuildFileHeader();
    // Readers skip these: bfOffBits points past them.
    const std::array<uint8_t, kBmpFillerSize> filler{};
    return files::ReplaceFile(path, {header, fileInfo, filler, frame}, mode);
}

}  // namespace nuvix
