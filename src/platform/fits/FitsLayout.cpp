#include "platform/fits/FitsLayout.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace nuvix::fits {

namespace {

constexpr size_t kBlock = 2880;
constexpr size_t kCard = 80;
constexpr int kMostHdus = 16;
constexpr int kMostAxes = 999;
constexpr uint64_t kMostDataBytes = uint64_t{1} << 40;  // far beyond any BLOB; keeps the sums exact

size_t RoundUp(size_t n)
{
    return (n + kBlock - 1) / kBlock * kBlock;
}

// What the walk needs of one header.
struct Header {
    bool primary = false;
    std::string_view extension;  // XTENSION's value, blanks trimmed
    std::optional<int64_t> bitpix;
    int64_t axes = -1;
    int64_t axis[kMostAxes + 1] = {};
    int64_t pcount = 0;
    int64_t gcount = 1;
    size_t end = 0;  // where the header's last block ends
};

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The value of a card "KEYWORD = value / comment": a string without its quotes and trailing
// blanks, anything else without its comment.
std::string_view ValueOf(std::string_view card)
{
    if (card.size() < 10 || card.substr(8, 2) != "= ") return {};
    std::string_view value = TrimBlanks(card.substr(10));
    if (!value.starts_with('\'')) return TrimBlanks(value.substr(0, value.find('/')));
    const size_t close = value.find('\'', 1);
    return close == std::string_view::npos ? std::string_view{} : TrimBlanks(value.substr(1, close - 1));
}

std::optional<int64_t> IntegerOf(std::string_view card)
{
    const std::string_view text = ValueOf(card);
    int64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || stop != text.data() + text.size()) return std::nullopt;
    return value;
}

// Reads the header starting at `at`; empty when it does not end within the bytes.
std::optional<Header> ReadHeader(std::span<const std::byte> bytes, size_t at, bool primary)
{
    Header header;
    header.primary = primary;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (size_t pos = at; pos + kCard <= text.size(); pos += kCard) {
        const std::string_view card = text.substr(pos, kCard);
        const std::string_view keyword = TrimBlanks(card.substr(0, 8));
        if (pos == at && keyword != (primary ? "SIMPLE" : "XTENSION")) return std::nullopt;
        if (keyword == "END") {
            header.end = RoundUp(pos + kCard);
            return header;
        }
        if (keyword == "XTENSION") {
            header.extension = ValueOf(card);
        } else if (keyword == "BITPIX") {
            header.bitpix = IntegerOf(card);
        } else if (keyword == "NAXIS") {
            header.axes = IntegerOf(card).value_or(-1);
        } else if (keyword == "PCOUNT") {
            header.pcount = IntegerOf(card).value_or(-1);
        } else if (keyword == "GCOUNT") {
            header.gcount = IntegerOf(card).value_or(-1);
        } else if (keyword.starts_with("NAXIS")) {
            int n = 0;
            const auto [stop, error] = std::from_chars(keyword.data() + 5, keyword.data() + keyword.size(), n);
            if (error == std::errc{} && stop == keyword.data() + keyword.size() && n >= 1 && n <= kMostAxes) {
                header.axis[n] = IntegerOf(card).value_or(-1);
            }
        }
    }
    return std::nullopt;
}

// The size of the HDU's data in bytes; empty when the header does not say it soundly.
std::optional<uint64_t> DataBytes(const Header& h)
{
    if (!h.bitpix || h.axes < 0 || h.axes > kMostAxes || h.pcount < 0 || h.gcount < 0) return std::nullopt;
    const int64_t bits = *h.bitpix;
    if (bits != 8 && bits != 16 && bits != 32 && bits != 64 && bits != -32 && bits != -64) return std::nullopt;
    if (h.axes == 0) return 0;
    uint64_t elements = 1;
    for (int64_t n = 1; n <= h.axes; ++n) {
        const int64_t side = h.axis[n];
        if (side < 0 || static_cast<uint64_t>(side) > kMostDataBytes) return std::nullopt;
        elements = side == 0 ? 0 : elements * static_cast<uint64_t>(side);
        if (elements > kMostDataBytes) return std::nullopt;
    }
    const uint64_t groups = static_cast<uint64_t>(h.gcount);
    const uint64_t total = (elements + static_cast<uint64_t>(h.pcount));
    if (total > kMostDataBytes || groups > kMostDataBytes || (groups != 0 && total > kMostDataBytes / groups)) {
        return std::nullopt;
    }
    const uint64_t bytes = total * groups * static_cast<uint64_t>(bits < 0 ? -bits : bits) / 8;
    if (bytes > kMostDataBytes) return std::nullopt;
    return bytes;
}

bool IsPicture(const Header& h)
{
    const bool image = h.primary || h.extension == "IMAGE";
    return image && (h.axes == 2 || h.axes == 3) && h.axis[1] >= 1 && h.axis[2] >= 1 && (h.axes == 2 || h.axis[3] >= 1);
}

}  // namespace

PictureLayout FindPicture(std::span<const std::byte> bytes)
{
    size_t at = 0;
    for (int hdu = 1; hdu <= kMostHdus && at < bytes.size(); ++hdu) {
        const std::optional<Header> header = ReadHeader(bytes, at, hdu == 1);
        if (!header) return {0, 0, hdu == 1 ? "not a FITS file" : "a header cut short"};
        const std::optional<uint64_t> size = DataBytes(*header);
        if (!size) return {0, 0, "a header that does not say its size"};
        if (header->end > bytes.size()) return {0, 0, "a header cut short"};
        if (*size > bytes.size() - header->end) return {0, 0, "picture data cut short"};
        const size_t end = header->end + static_cast<size_t>(*size);
        if (IsPicture(*header)) return {hdu, end, {}};
        at = RoundUp(end);
    }
    return {0, 0, "no picture in the file"};
}

}  // namespace nuvix::fits
