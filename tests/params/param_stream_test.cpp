#include "params/ParamFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace nuvix {
namespace {

// Every field different from its default and from every other field.
const tparam kDistinct{.focalLength = 123.5,
                       .pixelSize = 9.25,
                       .raSpeed = 6.5,
                       .decSpeed = -3.75,
                       .comPort = 3,
                       .exposureStep = 65706,
                       .contrast = -2,
                       .whiteBalance = 0x12345678,
                       .protocol = 1,
                       .photoIntervalUnit = 1,
                       .photoIntervalValue = 90,
                       .trackX = -15,
                       .trackY = 700,
                       .trackHeight = 130,
                       .trackWidth = 250,
                       .invertDec = true,
                       .invertRa = false};

uint64_t LittleEndianAt(const std::vector<uint8_t>& bytes, size_t offset, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= uint64_t{bytes.at(offset + i)} << (8 * i);
    return value;
}

// Where each field lives in the stored file, and how to move it from one record to another.
struct FieldSlot {
    const char* name;
    size_t offset;
    size_t size;
    uint64_t storedValue;  // for kDistinct
    void (*copy)(tparam& to, const tparam& from);
};
#define NUVIX_SLOT(field, offset, size, value)                                                      \
    {                                                                                               \
#field, offset, size, value, [](tparam & to, const tparam& from) { to.field = from.field; } \
    }
const FieldSlot kSlots[] = {
    NUVIX_SLOT(focalLength, 21, 8, std::bit_cast<uint64_t>(123.5)),
    NUVIX_SLOT(pixelSize, 29, 8, std::bit_cast<uint64_t>(9.25)),
    NUVIX_SLOT(raSpeed, 37, 8, std::bit_cast<uint64_t>(6.5)),
    NUVIX_SLOT(decSpeed, 45, 8, std::bit_cast<uint64_t>(-3.75)),
    NUVIX_SLOT(comPort, 53, 4, 3),
    NUVIX_SLOT(exposureStep, 57, 4, 65706),
    NUVIX_SLOT(contrast, 61, 4, 0xFFFFFFFE),
    NUVIX_SLOT(whiteBalance, 65, 4, 0x12345678),
    NUVIX_SLOT(protocol, 69, 4, 1),
    NUVIX_SLOT(photoIntervalUnit, 73, 4, 1),
    NUVIX_SLOT(photoIntervalValue, 77, 4, 90),
    NUVIX_SLOT(invertDec, 81, 4, 1),
    NUVIX_SLOT(invertRa, 85, 4, 0),
    NUVIX_SLOT(trackX, 89, 4, 0xFFFFFFF1),
    NUVIX_SLOT(trackY, 93, 4, 700),
    NUVIX_SLOT(trackWidth, 97, 4, 250),
    NUVIX_SLOT(trackHeight, 101, 4, 130),
};
#undef NUVIX_SLOT

std::vector<uint8_t> Stored(const tparam& record)
{
    const auto bytes = SerializeParams(record);
    return {bytes.begin(), bytes.end()};
}

TEST(ParamStream, StoredBytesAreTheFixedLayout)
{
    const auto bytes = Stored(kDistinct);
    ASSERT_EQ(bytes.size(), 106u);
    const std::vector<uint8_t> head = {0x3A, 0x01, 0x01, 0x00, 0x00, 0x02, 0x5B, 0x06, 0x00, 0x00, 0x00,
                                       't',  'p',  'a',  'r',  'a',  'm',  0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 21), head);
    for (const auto& slot : kSlots) {
        EXPECT_EQ(LittleEndianAt(bytes, slot.offset, slot.size), slot.storedValue) << slot.name;
    }
    EXPECT_EQ(bytes.back(), ']');
}

TEST(ParamStream, StoreThenParseGivesEveryFieldBackButDarkSpotGuiding)
{
    tparam record = kDistinct;
    record.darkSpotGuiding = true;
    const ParseResult parsed = ParseParams(Stored(record));
    EXPECT_FALSE(parsed.malformed) << parsed.reason;
    record.darkSpotGuiding = false;
    EXPECT_EQ(parsed.record, record);
    EXPECT_EQ(parsed.record.exposureStep, 65706);
    EXPECT_EQ(Low16(parsed.record.exposureStep), 170);
}

TEST(ParamStream, AnyNonZeroBooleanIsTrue)
{
    for (const uint32_t stored : {0u, 1u, 2u, 0x100u, 0x80000000u, 0xFFFFFFFFu}) {
        auto bytes = Stored(tparam{});
        for (size_t i = 0; i < 4; ++i)
            bytes[81 + i] = static_cast<uint8_t>(stored >> (8 * i));
        const ParseResult parsed = ParseParams(bytes);
        EXPECT_EQ(parsed.record.invertDec, stored != 0) << stored;
        EXPECT_FALSE(parsed.malformed);
    }
}

// Version 0: no version mark, a one-byte name length, no class version, 16-bit unsigned integers
// except the two booleans.
TEST(ParamStream, ReadsVersionZeroStreams)
{
    std::vector<uint8_t> bytes = {0x02, '[', 6, 't', 'p', 'a', 'r', 'a', 'm'};
    const auto put = [&](uint64_t value, size_t size) {
        for (size_t i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    for (const double d : {150.0, 10.0, 15.0, 7.5})
        put(std::bit_cast<uint64_t>(d), 8);
    for (const uint16_t v : {1, 0xFFFF, 200, 100, 0, 1, 30})
        put(v, 2);
    put(0, 4);
    put(5, 4);
    for (const uint16_t v : {300, 400, 210, 110})
        put(v, 2);
    bytes.push_back(']');

    const tparam expected{.focalLength = 150.0,
                          .pixelSize = 10.0,
                          .raSpeed = 15.0,
                          .decSpeed = 7.5,
                          .comPort = 1,
                          .exposureStep = 65535,
                          .contrast = 200,
                          .whiteBalance = 100,
                          .protocol = 0,
                          .photoIntervalUnit = 1,
                          .photoIntervalValue = 30,
                          .trackX = 300,
                          .trackY = 400,
                          .trackHeight = 110,
                          .trackWidth = 210,
                          .invertDec = false,
                          .invertRa = true};

    const ParseResult parsed = ParseParams(bytes);
    EXPECT_FALSE(parsed.malformed) << parsed.reason;
    EXPECT_EQ(parsed.record, expected);
}

TEST(ParamStream, BytesAfterTheObjectAreIgnored)
{
    auto bytes = Stored(kDistinct);
    bytes.insert(bytes.end(), {'g', 'a', 'r', 'b', 'a', 'g', 'e', 0x00, 0xFF});
    const ParseResult parsed = ParseParams(bytes);
    EXPECT_FALSE(parsed.malformed);
    EXPECT_EQ(parsed.record, kDistinct);
}

// A file cut anywhere keeps exactly the fields it holds whole; the others are defaults.
TEST(ParamStream, TruncatedStreamsKeepTheFieldsReadBeforeTheCut)
{
    const tparam source = kDistinct;
    const auto full = Stored(source);
    for (size_t cut = 0; cut < full.size(); ++cut) {
        tparam expected;
        for (const auto& slot : kSlots) {
            if (slot.offset + slot.size <= cut) slot.copy(expected, source);
        }
        const ParseResult parsed = ParseParams(std::vector<uint8_t>(full.begin(), full.begin() + cut));
        EXPECT_TRUE(parsed.malformed) << cut;
        EXPECT_FALSE(parsed.reason.empty()) << cut;
        EXPECT_EQ(parsed.record, expected) << cut;
    }
}

struct Damage {
    const char* name;
    size_t offset;
    std::vector<uint8_t> replacement;  // written over the stored bytes from `offset`
    bool fieldsKept;                   // whether the fault comes after the fields
    const char* reasonPart;
};

TEST(ParamStream, DamagedStreamsAreMalformedWithDefaults)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto doubleBytes = [](double d) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < 8; ++i)
            bytes.push_back(static_cast<uint8_t>(std::bit_cast<uint64_t>(d) >> (8 * i)));
        return bytes;
    };
    const Damage cases[] = {
        {"tag 0", 5, {0x00}, false, "aucun objet"},
        {"tag 1", 5, {0x01, 0x00, 0x00, 0x00, 0x00}, false, "référence"},
        {"tag 7", 5, {0x07}, false, "0x07"},
        {"no [", 6, {'('}, false, "« [ »"},
        {"name length 200", 7, {200, 0, 0, 0}, false, "200 octets"},
        {"name length 128", 7, {128, 0, 0, 0}, false, "128 octets"},
        {"wrong class", 11, {'t', 'p', 'a', 'r', 'a', 'x'}, false, "« tparax »"},
        {"no ]", 105, {'}'}, true, "« ] »"},
    };
    for (const auto& damage : cases) {
        auto bytes = Stored(kDistinct);
        std::copy(damage.replacement.begin(), damage.replacement.end(), bytes.begin() + damage.offset);
        const ParseResult parsed = ParseParams(bytes);
        EXPECT_TRUE(parsed.malformed) << damage.name;
        EXPECT_NE(parsed.reason.find(damage.reasonPart), std::string::npos) << damage.name << ": " << parsed.reason;
        EXPECT_EQ(parsed.record, damage.fieldsKept ? kDistinct : tparam{}) << damage.name;
    }

    // Values the dialog could not show: that field takes its default, every other is read.
    const struct {
        size_t offset;
        double value;
        double tparam::*member;
    } nonFinite[] = {{21, nan, &tparam::focalLength}, {29, inf, &tparam::pixelSize}, {45, -inf, &tparam::decSpeed}};
    for (const auto& damage : nonFinite) {
        auto bytes = Stored(kDistinct);
        const auto replacement = doubleBytes(damage.value);
        std::copy(replacement.begin(), replacement.end(), bytes.begin() + damage.offset);
        tparam expected = kDistinct;
        expected.*damage.member = tparam{}.*damage.member;
        const ParseResult parsed = ParseParams(bytes);
        EXPECT_TRUE(parsed.malformed) << damage.offset;
        EXPECT_EQ(parsed.record, expected) << damage.offset;
    }
}

TEST(ParamStream, OneByteNameLengthAtOrAbove128IsRefused)
{
    // A version-0 header whose name length byte claims 200 bytes, followed by enough bytes to hold them.
    std::vector<uint8_t> bytes = {0x02, '[', 200};
    bytes.resize(400, 'a');
    const ParseResult parsed = ParseParams(bytes);
    EXPECT_TRUE(parsed.malformed);
    EXPECT_EQ(parsed.record, tparam{});
}

}  // namespace
}  // namespace nuvix
