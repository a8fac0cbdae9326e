#include "server/Protocol.h"

#include "server/JsonText.h"
#include "server/MethodTable.h"

namespace nuvix::server {

namespace {

using nlohmann::json;

std::string ErrorReply(const json& id, int code, const std::string& message)
{
    return JsonLine(json{{"jsonrpc", "2.0"}, {"error", {{"code", code}, {"message", message}}}, {"id", id}});
}

bool ValidId(const json& id)
{
    return id.is_null() || id.is_string() || id.is_number();
}

}  // namespace

std::optional<std::string> HandleRequestLine(std::string_view line, GuiderCommands& guider)
{
    const json request = json::parse(line.begin(), line.end(), nullptr, false);
    if (request.is_discarded()) return ErrorReply(nullptr, kParseError, "parse error: not a JSON value");
    if (!request.is_object()) return ErrorReply(nullptr, kInvalidRequest, "invalid request: one JSON object per line");

    const auto id = request.find("id");
    if (id != request.end() && !ValidId(*id)) {
        return ErrorReply(nullptr, kInvalidRequest, "invalid request: id must be a number, a string or null");
    }
    const json replyId = id == request.end() ? json(nullptr) : *id;
    const bool answered = id != request.end();
    const auto method = request.find("method");
    if (method == request.end() || !method->is_string()) {
        if (!answered) return std::nullopt;
        return ErrorReply(replyId, kInvalidRequest, "invalid request: method must be a string");
    }
    const auto params = request.find("params");
    const json none = nullptr;
    const json& given = params == request.end() ? none : *params;
    if (!given.is_null() && !given.is_array() && !given.is_object()) {
        if (!answered) return std::nullopt;
        return ErrorReply(replyId, kInvalidParams, "invalid params: params must be an array or an object");
    }

    MethodReply reply;
    try {
        reply = CallMethod(method->get_ref<const std::string&>(), given, guider);
    } catch (const json::exception& e) {
        // A value of a type the method did not check; the method did nothing.
        reply.errorCode = kInternalError;
        reply.errorMessage = std::string("internal error: ") + e.what();
    }
    if (!answered) return std::nullopt;
    if (reply.errorCode != 0) return ErrorReply(replyId, reply.errorCode, reply.errorMessage);
    return JsonLine(json{{"jsonrpc", "2.0"}, {"result", reply.result}, {"id", replyId}});
}

}  // namespace nuvix::server
