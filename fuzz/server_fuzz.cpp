// Feeds arbitrary bytes, as a client would send them, to the guiding server's request handling:
// cut into lines by the framer, each line answered by the protocol over a guider that records
// what it was asked to do.
#include "../tests/server/FakeGuider.h"
#include "server/LineFramer.h"
#include "server/Protocol.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nuvix;
    server::LineFramer framer;
    std::vector<std::string> lines;
    framer.Feed(std::string_view(reinterpret_cast<const char*>(data), size), lines);
    for (const std::string& line : lines) {
        if (line.size() > server::LineFramer::kMaxLineBytes) std::abort();
        testing::FakeGuider guider;
        const std::optional<std::string> reply = server::HandleRequestLine(line, guider);
        if (!reply) continue;
        // Every reply is one JSON object on one line; an error reply changed nothing.
        if (reply->find('\n') != std::string::npos) std::abort();
        const nlohmann::json parsed = nlohmann::json::parse(*reply, nullptr, false);
        if (!parsed.is_object() || parsed.value("jsonrpc", "") != "2.0" || !parsed.contains("id")) std::abort();
        if (parsed.contains("error") == parsed.contains("result")) std::abort();
        const bool changed = !guider.done.empty() && guider.done.front().rfind("get_", 0) != 0;
        if (parsed.contains("error") && changed) std::abort();
    }
    return 0;
}
