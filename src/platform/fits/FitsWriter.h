#pragma once

#include "camera/CameraImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace nuvix::fits {

// A header card of our own, after those that describe the picture's layout.
struct Card {
    std::string keyword;  // at most 8 characters
    std::variant<std::string, int64_t, double> value;
    std::string comment;
};

// One picture of a file: width x height values, bottom row first (the FITS order, and the frame
// buffers'), stored as `type`. Integer types take the values rounded and kept within their range.
struct Picture {
    int width = 0;
    int height = 0;
    PixelType type = PixelType::Float32;
    std::span<const double> values;
    std::string name;  // EXTNAME of an extension; unused for the first picture
    std::vector<Card> cards;
};

// A FITS file's bytes, or why they could not be made.
struct Encoded {
    std::vector<uint8_t> bytes;  // empty on failure
    std::string problem;
};

// The pictures as one FITS file, made in memory: the first is the primary HDU, the others IMAGE
// extensions. Texts are kept to what a card holds: printable ASCII (anything else becomes '?'),
// 68 characters at most.
Encoded EncodeFits(std::span<const Picture> pictures);

}  // namespace nuvix::fits
