#include "params/ParamFile.h"

#include "platform/files/ReplaceFile.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace nuvix {

namespace {

// The longest object the format allows (a 127-byte class name) ends well before this; what
// follows the object is never looked at, so a huge file costs no more than a small one.
constexpr std::streamsize kReadLimit = 4096;

constexpr const char* kKeptAsideSuffix = ".bad";

struct FileBytes {
    std::vector<uint8_t> bytes;
    std::string error;  // empty when the bytes could be read
};

FileBytes ReadHead(const std::string& path)
{
    FileBytes head;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        head.error = "lecture impossible";
        return head;
    }
    head.bytes.resize(static_cast<size_t>(kReadLimit));
    file.read(reinterpret_cast<char*>(head.bytes.data()), kReadLimit);
    if (file.bad()) head.error = "lecture impossible";
    head.bytes.resize(static_cast<size_t>(file.gcount()));
    return head;
}

LoadResult Malformed(const std::string& path, LoadResult result, const std::string& reason, bool keepAside)
{
    const std::string name = std::filesystem::path(path).filename().string();
    result.status = LoadStatus::Malformed;
    result.message =
        "Fichier " + name + " illisible : " + reason + ". Valeurs par défaut pour les paramètres illisibles";
    if (keepAside) {
        const std::string aside = path + kKeptAsideSuffix;
        const auto copy = files::CopyFileOver(path, aside);
        if (copy.written) {
            result.keptAsideAt = aside;
            result.message += ", copie conservée dans " + std::filesystem::path(aside).filename().string();
        } else {
            result.message += ", copie impossible : " + copy.reason;
        }
    }
    result.message += ".";
    return result;
}

}  // namespace

LoadResult LoadParams(const std::string& path)
{
    LoadResult result;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return result;
    if (error) return Malformed(path, result, "lecture impossible (" + error.message() + ")", false);
    // Opening a pipe or a device could wait for ever; only a plain file is read.
    if (!std::filesystem::is_regular_file(status)) return Malformed(path, result, "pas un fichier ordinaire", false);

    const FileBytes head = ReadHead(path);
    if (!head.error.empty()) return Malformed(path, result, head.error, true);

    ParseResult parsed = ParseParams(head.bytes);
    result.record = parsed.record;
    if (parsed.malformed) return Malformed(path, result, parsed.reason, true);
    result.status = LoadStatus::Loaded;
    return result;
}

SaveResult SaveParams(const std::string& path, const tparam& record)
{
    const ParamFileBytes bytes = SerializeParams(record);
    const auto replaced = files::ReplaceFile(path, {bytes});
    return {replaced.written, replaced.reason};
}

}  // namespace nuvix
