#pragma once

#include "image/BitmapHeaders.h"
#include "image/FrameGeometry.h"
#include "platform/files/ReplaceFile.h"

#include <cstdint>
#include <string>

namespace nuvix {

// Every picture file has the same layout: a 14-byte file header, the file information block, four
// filler bytes, then the 320 x 240 pixels, bottom row first.
inline constexpr uint32_t kBmpFileHeaderSize = 14;
inline constexpr uint32_t kBmpFillerSize = 4;
inline constexpr uint32_t kBmpPixelOffset = kBmpFileHeaderSize + kBitmapInfoSize + kBmpFillerSize;  // 1,082
inline constexpr uint32_t kBmpFileSize = kBmpPixelOffset + kFramePixels;                            // 77,882

// Writes `frame` as an 8-bit grey BMP file at `path`, replacing any file of that name unless `mode`
// says otherwise. Written only when the whole file is on disk; on failure the reason is given, an
// existing file is left as it was and no partial file is left behind.
files::ReplaceResult WriteBmp(const std::string& path, const BitmapInfoBlock& fileInfo, const FrameBytes& frame,
                              files::WriteMode mode = files::WriteMode::Replace);

}  // namespace nuvix
