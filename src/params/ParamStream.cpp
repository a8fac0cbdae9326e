#include "params/ParamFile.h"
#include "platform/text/Translate.h"

#include <bit>
#include <cmath>
#include <limits>
#include <string_view>

namespace nuvix {

namespace {

static_assert(std::numeric_limits<double>::is_iec559, "the file holds IEEE-754 doubles");

constexpr uint8_t kVersionMark = ':';
constexpr uint32_t kStreamVersion = 257;
// Stream versions above this one give the class name a 32-bit length, older ones a single byte.
constexpr uint32_t kLastShortNameVersion = 256;
constexpr uint8_t kTagNoObject = 0;
constexpr uint8_t kTagObjectAlreadyRead = 1;
constexpr uint8_t kTagNewObject = 2;
constexpr uint8_t kObjectStart = '[';
constexpr uint8_t kObjectEnd = ']';
constexpr std::string_view kClassName = "tparam";
constexpr uint32_t kClassVersion = 1;
constexpr size_t kClassNameLimit = 128;

// The fields in the order the file holds them, which is not the order of declaration: the two
// booleans come before the tracking window, and its width before its height.
struct DoubleField {
    double tparam::*member;
    const char* name;  // for the observer's message
};
constexpr std::array<DoubleField, 4> kDoubleFields{{
    {&tparam::focalLength, TrLater("la focale")},
    {&tparam::pixelSize, TrLater("la dimension des pixels")},
    {&tparam::raSpeed, TrLater("la vitesse en ascension droite")},
    {&tparam::decSpeed, TrLater("la vitesse en déclinaison")},
}};
constexpr std::array<int32_t tparam::*, 7> kLeadingIntegers{
    &tparam::comPort,  &tparam::exposureStep,      &tparam::contrast,           &tparam::whiteBalance,
    &tparam::protocol, &tparam::photoIntervalUnit, &tparam::photoIntervalValue,
};
constexpr std::array<bool tparam::*, 2> kBooleans{&tparam::invertDec, &tparam::invertRa};
constexpr std::array<int32_t tparam::*, 4> kTrailingIntegers{&tparam::trackX, &tparam::trackY, &tparam::trackWidth,
                                                             &tparam::trackHeight};

class ByteWriter {
public:
    void Byte(uint8_t value) { bytes_[pos_++] = value; }
    void U32(uint32_t value) { LittleEndian(value, 4); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F64(double value) { LittleEndian(std::bit_cast<uint64_t>(value), 8); }
    void Text(std::string_view text)
    {
        for (const char c : text)
            Byte(static_cast<uint8_t>(c));
    }
    const ParamFileBytes& Bytes() const { return bytes_; }

private:
    void LittleEndian(uint64_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            Byte(static_cast<uint8_t>(value >> (8 * i)));
    }

    ParamFileBytes bytes_{};
    size_t pos_ = 0;
};

// Reads little-endian values; each read gives nothing once the bytes run out.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::optional<uint8_t> Peek() const
    {
        if (pos_ >= bytes_.size()) return std::nullopt;
        return bytes_[pos_];
    }
    std::optional<uint8_t> Byte()
    {
        const auto value = Peek();
        if (value) ++pos_;
        return value;
    }
    std::optional<uint32_t> U16() { return Narrow<uint32_t>(LittleEndian(2)); }
    std::optional<uint32_t> U32() { return Narrow<uint32_t>(LittleEndian(4)); }
    std::optional<double> F64()
    {
        const auto bits = LittleEndian(8);
        if (!bits) return std::nullopt;
        return std::bit_cast<double>(*bits);
    }
    std::optional<std::string_view> Text(size_t size)
    {
        if (bytes_.size() - pos_ < size) return std::nullopt;
        const std::string_view text(reinterpret_cast<const char*>(bytes_.data() + pos_), size);
        pos_ += size;
        return text;
    }

private:
    template <typename T>
    static std::optional<T> Narrow(std::optional<uint64_t> value)
    {
        if (!value) return std::nullopt;
        return static_cast<T>(*value);
    }
    std::optional<uint64_t> LittleEndian(size_t size)
    {
        if (bytes_.size() - pos_ < size) return std::nullopt;
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= uint64_t{bytes_[pos_ + i]} << (8 * i);
        pos_ += size;
        return value;
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

constexpr const char* kTruncated = TrLater("fichier tronqué");

// A name from the file, shown to the observer: anything unprintable becomes "?".
std::string Printable(std::string_view text)
{
    std::string shown;
    for (const char c : text)
        shown += (c >= 0x20 && c < 0x7F) ? c : '?';
    return shown;
}

std::string HexByte(uint8_t value)
{
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    return std::string("0x") + kDigits[value >> 4] + kDigits[value & 0x0F];
}

// Reads the fields in file order into the record, each only when it was read whole, so a stream
// that ends early leaves the defaults in place for the rest. False when the stream ended.
bool ReadFields(ByteReader& in, bool shortIntegers, ParseResult& result)
{
    const auto readInteger = [&]() { return shortIntegers ? in.U16() : in.U32(); };
    for (const auto& field : kDoubleFields) {
        const auto value = in.F64();
        if (!value) return false;
        if (std::isfinite(*value)) {
            result.record.*field.member = *value;
        } else if (!result.malformed) {
            // The dialog could neither show nor use it; the default stands instead.
            result.malformed = true;
            result.reason = TrFill("valeur non numérique pour %s", {Tr(field.name)});
        }
    }
    for (const auto member : kLeadingIntegers) {
        const auto value = readInteger();
        if (!value) return false;
        result.record.*member = static_cast<int32_t>(*value);
    }
    for (const auto member : kBooleans) {
        const auto value = in.U32();
        if (!value) return false;
        result.record.*member = *value != 0;
    }
    for (const auto member : kTrailingIntegers) {
        const auto value = readInteger();
        if (!value) return false;
        result.record.*member = static_cast<int32_t>(*value);
    }
    return true;
}

// A port or a protocol that the dialog cannot show is replaced. Corrections then go to the
// on-screen indicators, never to a serial device the observer did not choose.
void KeepOutputKnown(ParseResult& result)
{
    tparam& record = result.record;
    const tparam defaults;
    const bool portKnown = record.comPort >= 0 && record.comPort < kPortCount;
    const bool protocolKnown = record.protocol >= 0 && record.protocol < kProtocolCount;
    if (portKnown && protocolKnown) return;
    if (!portKnown) record.comPort = defaults.comPort;
    // Both serial protocols would use the port; the default protocol uses none.
    record.protocol = defaults.protocol;
    if (!result.malformed) {
        result.malformed = true;
        result.reason = Tr("port série ou protocole inconnu, remplacé par « Diodes virtuelles »");
    }
}

ParseResult& Fault(ParseResult& result, std::string reason)
{
    // A structural fault says more than a bad value found before it.
    result.malformed = true;
    result.reason = std::move(reason);
    return result;
}

}  // namespace

ParamFileBytes SerializeParams(const tparam& record)
{
    ByteWriter out;
    out.Byte(kVersionMark);
    out.U32(kStreamVersion);
    out.Byte(kTagNewObject);
    out.Byte(kObjectStart);
    out.U32(static_cast<uint32_t>(kClassName.size()));
    out.Text(kClassName);
    out.U32(kClassVersion);
    for (const auto& field : kDoubleFields)
        out.F64(record.*field.member);
    for (const auto member : kLeadingIntegers)
        out.I32(record.*member);
    for (const auto member : kBooleans)
        out.I32(record.*member ? 1 : 0);
    for (const auto member : kTrailingIntegers)
        out.I32(record.*member);
    out.Byte(kObjectEnd);
    return out.Bytes();
}

ParseResult ParseParams(std::span<const uint8_t> bytes)
{
    ParseResult result;
    if (bytes.empty()) return Fault(result, Tr("fichier vide"));
    ByteReader in(bytes);

    // Without the version mark the stream is of version 0.
    uint32_t version = 0;
    if (in.Peek() == kVersionMark) {
        in.Byte();
        const auto read = in.U32();
        if (!read) return Fault(result, Tr(kTruncated));
        version = *read;
    }

    const auto tag = in.Byte();
    if (!tag) return Fault(result, Tr(kTruncated));
    if (*tag == kTagNoObject) return Fault(result, Tr("aucun objet enregistré"));
    if (*tag == kTagObjectAlreadyRead) return Fault(result, Tr("référence à un objet absent"));
    if (*tag != kTagNewObject) return Fault(result, TrFill("marque d'objet inconnue (%s)", {HexByte(*tag)}));

    const auto start = in.Byte();
    if (!start) return Fault(result, Tr(kTruncated));
    if (*start != kObjectStart) return Fault(result, Tr("début d'objet « [ » absent"));

    std::optional<uint32_t> nameLength;
    if (version > kLastShortNameVersion) {
        nameLength = in.U32();
    } else if (const auto shortLength = in.Byte()) {
        nameLength = *shortLength;
    }
    if (!nameLength) return Fault(result, Tr(kTruncated));
    if (*nameLength >= kClassNameLimit) {
        return Fault(result, TrFill("nom de classe trop long (%s octets)", {std::to_string(*nameLength)}));
    }
    const auto name = in.Text(*nameLength);
    if (!name) return Fault(result, Tr(kTruncated));
    if (*name != kClassName) return Fault(result, TrFill("classe inconnue « %s »", {Printable(*name)}));

    // The class version is read and not used: there has only ever been one.
    if (version != 0 && !in.U32()) return Fault(result, Tr(kTruncated));

    const bool whole = ReadFields(in, version == 0, result);
    KeepOutputKnown(result);
    if (!whole) return Fault(result, Tr(kTruncated));

    const auto end = in.Byte();
    if (!end) return Fault(result, Tr(kTruncated));
    if (*end != kObjectEnd) return Fault(result, Tr("fin d'objet « ] » absente"));
    return result;
}

}  // namespace nuvix
