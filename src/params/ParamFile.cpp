#include "params/ParamFile.h"

#include "platform/files/FileErrors.h"
#include "platform/files/ReadStart.h"
#include "platform/files/ReplaceFile.h"
#include "platform/text/Translate.h"

#include <filesystem>

namespace nuvix {

namespace {

// The longest object the format allows (a 127-byte class name) ends well before this; what
// follows the object is never looked at, so a huge file costs no more than a small one.
constexpr size_t kReadLimit = 4096;

constexpr const char* kKeptAsideSuffix = ".bad";
constexpr const char* kNotStored = TrLater(
    "le fichier est laissé tel quel et les paramètres de cette session ne seront pas "
    "enregistrés");

std::string NameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

LoadResult Unreadable(const std::string& path, const std::string& reason)
{
    LoadResult result;
    result.status = LoadStatus::Unreadable;
    result.message =
        TrFill("Fichier %s illisible : %s. Valeurs par défaut ; %s.", {NameOf(path), reason, Tr(kNotStored)});
    result.leaveAsIs = TrFill("%s illisible, laissé tel quel", {NameOf(path)});
    return result;
}

LoadResult Malformed(const std::string& path, const ParseResult& parsed)
{
    LoadResult result;
    result.record = parsed.record;
    result.status = LoadStatus::Malformed;
    const files::KeptCopy copy = files::KeepCopy(path, path + kKeptAsideSuffix);
    if (!copy.path.empty()) {
        result.keptAsideAt = copy.path;
        result.message = TrFill(
            "Fichier %s illisible : %s. Valeurs par défaut pour les paramètres illisibles, copie conservée dans %s.",
            {NameOf(path), parsed.reason, NameOf(copy.path)});
    } else {
        result.message = TrFill(
            "Fichier %s illisible : %s. Valeurs par défaut pour les paramètres illisibles ; copie impossible (%s) : "
            "%s.",
            {NameOf(path), parsed.reason, copy.reason, Tr(kNotStored)});
        result.leaveAsIs = TrFill("%s endommagé et sans copie, laissé tel quel", {NameOf(path)});
    }
    return result;
}

}  // namespace

LoadResult LoadParams(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (error) return Unreadable(path, TrFill("accès impossible (%s)", {files::ErrorText(error.value())}));
    // Opening a pipe or a device could wait for ever or do something; only a plain file is read.
    if (std::filesystem::is_directory(status)) return Unreadable(path, Tr("c'est un répertoire"));
    if (!std::filesystem::is_regular_file(status)) return Unreadable(path, Tr("pas un fichier ordinaire"));

    const files::FileStart head = files::ReadStart(path, kReadLimit);
    if (head.error != 0) return Unreadable(path, TrFill("lecture impossible (%s)", {files::ErrorText(head.error)}));

    const ParseResult parsed = ParseParams(head.bytes);
    if (parsed.malformed) return Malformed(path, parsed);
    LoadResult result;
    result.record = parsed.record;
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
