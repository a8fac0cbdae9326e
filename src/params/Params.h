#pragma once

#include <cstdint>

namespace nuvix {

// The observer's telescope, port and window settings, kept in "campar.dat" between runs.
// Every field has a value from the start: these defaults are what a first run (no file yet) uses,
// and what a damaged file falls back to for the fields it could not give.
struct tparam {
    double focalLength = 200.0;  // cm: a 200 mm f/10 Schmidt-Cassegrain, the usual amateur guide scope
    double pixelSize = 7.5;      // µm, about the camera's pixel
    double raSpeed = 7.5;        // arcsec/s: half the sidereal rate, the common guide speed
    double decSpeed = 7.5;       // arcsec/s
    int32_t comPort = 0;         // 0..3 for COM1..COM4
    int32_t exposureStep = 170;  // the camera's start settings
    int32_t contrast = 255;
    int32_t whiteBalance = 170;
    int32_t protocol = 2;           // "Diodes virtuelles": nothing goes out to a serial device nobody chose
    int32_t photoIntervalUnit = 0;  // 0 seconds, 1 minutes
    int32_t photoIntervalValue = 10;
    int32_t trackX = 20;  // the "OPTO" window, near the screen's top-left corner, clear of the main window
    int32_t trackY = 40;
    int32_t trackHeight = 120;
    int32_t trackWidth = 220;
    bool invertDec = false;
    bool invertRa = false;
    bool darkSpotGuiding = false;  // never stored: every run starts guiding on a bright star

    friend bool operator==(const tparam&, const tparam&) = default;
};

// The serial ports COM1 to COM4 and the three protocols ("Stellon standard", "LX200",
// "Diodes virtuelles") a record can name.
inline constexpr int32_t kPortCount = 4;
inline constexpr int32_t kProtocolCount = 3;

// The camera settings are 16-bit; the record keeps them as int32 and they are restored from the
// low 16 bits.
constexpr uint16_t Low16(int32_t value)
{
    return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu);
}

}  // namespace nuvix
