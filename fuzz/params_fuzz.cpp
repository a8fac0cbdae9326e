// Feeds arbitrary bytes to the parameter file reader.
#include "params/ParamFile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nuvix;
    const ParseResult parsed = ParseParams(std::span<const uint8_t>(data, size));

    // Whatever came in, the record is whole and usable: every double finite, a reason for every
    // fault, and storing it then reading it back gives the same record.
    const tparam& r = parsed.record;
    for (const double value : {r.focalLength, r.pixelSize, r.raSpeed, r.decSpeed}) {
        if (!std::isfinite(value)) std::abort();
    }
    if (parsed.malformed == parsed.reason.empty()) std::abort();
    if (r.darkSpotGuiding) std::abort();
    const ParseResult again = ParseParams(SerializeParams(r));
    if (again.malformed || !(again.record == r)) std::abort();
    return 0;
}
