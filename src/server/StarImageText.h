#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nuvix::server {

// The star image's pixels as the protocol carries them: 16 bits each, little-endian, row after
// row, in base64.
std::string PixelsBase64(const std::vector<uint16_t>& pixels);

}  // namespace nuvix::server
