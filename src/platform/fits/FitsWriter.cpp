#include "platform/fits/FitsWriter.h"

#include "platform/text/Translate.h"

#include <fitsio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace nuvix::fits {

namespace {

constexpr size_t kBlock = 2880;
constexpr size_t kLongestText = 68;      // what a string card holds without a continuation
constexpr int kSignificantDigits = -10;  // negative: cfitsio's %G with that many digits

int ImageType(PixelType type)
{
    switch (type) {
    case PixelType::Unsigned8:
        return BYTE_IMG;
    case PixelType::Signed8:
        return SBYTE_IMG;
    case PixelType::Unsigned16:
        return USHORT_IMG;
    case PixelType::Signed16:
        return SHORT_IMG;
    case PixelType::Unsigned32:
        return ULONG_IMG;
    case PixelType::Signed32:
        return LONG_IMG;
    case PixelType::Unsigned64:
        return ULONGLONG_IMG;
    case PixelType::Signed64:
        return LONGLONG_IMG;
    case PixelType::Float64:
        return DOUBLE_IMG;
    case PixelType::Float32:
        break;
    }
    return FLOAT_IMG;
}

bool IsInteger(PixelType type)
{
    return type != PixelType::Float32 && type != PixelType::Float64;
}

// The smallest value of an integer type: the negative full scale, less one, for signed ones.
double Lowest(PixelType type)
{
    switch (type) {
    case PixelType::Signed8:
    case PixelType::Signed16:
    case PixelType::Signed32:
    case PixelType::Signed64:
        return -FullScale(type) - 1.0;
    default:
        return 0.0;
    }
}

// Rounded to the nearest and kept within the type, so that cfitsio never reports an overflow.
std::vector<double> Stored(const Picture& picture)
{
    std::vector<double> values(picture.values.begin(), picture.values.end());
    if (!IsInteger(picture.type)) return values;
    const double lowest = Lowest(picture.type);
    const double highest = FullScale(picture.type);
    for (double& v : values)
        v = std::isnan(v) ? 0.0 : std::clamp(std::round(v), lowest, highest);
    return values;
}

std::string CardText(const std::string& text)
{
    std::string out = text.substr(0, kLongestText);
    for (char& c : out) {
        if (c < ' ' || c > '~') c = '?';
    }
    return out;
}

void WriteCard(fitsfile* file, const Card& card, int& status)
{
    const std::string keyword = card.keyword;
    const std::string comment = CardText(card.comment);
    if (const auto* text = std::get_if<std::string>(&card.value)) {
        fits_write_key_str(file, keyword.c_str(), CardText(*text).c_str(), comment.c_str(), &status);
    } else if (const auto* integer = std::get_if<int64_t>(&card.value)) {
        fits_write_key_lng(file, keyword.c_str(), static_cast<LONGLONG>(*integer), comment.c_str(), &status);
    } else {
        fits_write_key_dbl(file, keyword.c_str(), std::get<double>(card.value), kSignificantDigits, comment.c_str(),
                           &status);
    }
}

void WritePicture(fitsfile* file, const Picture& picture, bool extension, int& status)
{
    long axes[2] = {picture.width, picture.height};
    fits_create_img(file, ImageType(picture.type), 2, axes, &status);
    if (extension) fits_write_key_str(file, "EXTNAME", CardText(picture.name).c_str(), "name of this picture", &status);
    for (const Card& card : picture.cards)
        WriteCard(file, card, status);
    const LONGLONG count = static_cast<LONGLONG>(picture.width) * picture.height;
    if (status != 0 || picture.values.size() != static_cast<size_t>(count)) {
        if (status == 0) status = BAD_DIMEN;
        return;
    }
    std::vector<double> values = Stored(picture);
    fits_write_img(file, TDOUBLE, 1, count, values.data(), &status);
}

}  // namespace

Encoded EncodeFits(std::span<const Picture> pictures)
{
    Encoded encoded;
    void* memory = nullptr;
    size_t size = 0;
    fitsfile* file = nullptr;
    int status = 0;
    LONGLONG end = 0;
    if (fits_create_memfile(&file, &memory, &size, kBlock, std::realloc, &status) == 0) {
        for (size_t i = 0; i < pictures.size() && status == 0; ++i)
            WritePicture(file, pictures[i], i > 0, status);
        LONGLONG headStart = 0;
        LONGLONG dataStart = 0;
        // The file ends with the last picture's data, padded to a whole block.
        fits_get_hduaddrll(file, &headStart, &dataStart, &end, &status);
        int closing = 0;
        fits_close_file(file, &closing);
        if (status == 0) status = closing;
    }
    if (status == 0 && !pictures.empty()) {
        const size_t length = std::min(size, (static_cast<size_t>(end) + kBlock - 1) / kBlock * kBlock);
        const auto* bytes = static_cast<const uint8_t*>(memory);
        encoded.bytes.assign(bytes, bytes + length);
    } else {
        char text[FLEN_STATUS] = {};
        fits_get_errstatus(status, text);
        fits_clear_errmsg();
        encoded.problem = std::string(Tr("fichier FITS impossible à composer")) + " (" + text + ")";
    }
    std::free(memory);
    return encoded;
}

}  // namespace nuvix::fits
