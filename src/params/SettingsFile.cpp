#include "params/SettingsFile.h"

#include "platform/files/FileErrors.h"
#include "platform/files/ReadStart.h"
#include "platform/files/ReplaceFile.h"
#include "platform/text/Translate.h"

#include <cstdio>
#include <filesystem>
#include <span>

namespace nuvix {

namespace {

// Far more than any settings file holds; a bigger file is no settings file of ours.
constexpr size_t kReadLimit = 256 * 1024;

std::string NameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

std::string Unreadable(SettingsFile& file, const std::string& reason)
{
    file.leaveAsIs = TrFill("%s illisible, laissé tel quel", {NameOf(file.path)});
    std::fprintf(stderr, "nuvix: %s cannot be read (%s): left as it is, settings not stored this session\n",
                 file.path.c_str(), reason.c_str());
    return TrFill("Fichier %s illisible : %s. Réglages par défaut ; il est laissé tel quel.",
                  {NameOf(file.path), reason});
}

}  // namespace

std::string SettingsPathBeside(const std::string& paramFile)
{
    const std::filesystem::path beside = std::filesystem::path(paramFile).parent_path() / kSettingsFileName;
    return beside.string();
}

std::string LoadSettings(SettingsFile& file)
{
    file.keys = files::KeyFile();
    file.leaveAsIs.clear();
    std::error_code error;
    const auto status = std::filesystem::status(file.path, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (error) return Unreadable(file, files::ErrorText(error.value()));
    if (!std::filesystem::is_regular_file(status)) return Unreadable(file, Tr("pas un fichier ordinaire"));
    const files::FileStart head = files::ReadStart(file.path, kReadLimit + 1);
    if (head.error != 0) return Unreadable(file, files::ErrorText(head.error));

    std::string problem;
    const std::string text(head.bytes.begin(), head.bytes.end());
    if (head.bytes.size() > kReadLimit) {
        problem = "larger than " + std::to_string(kReadLimit) + " bytes";
    } else if (file.keys.Parse(text, problem)) {
        return {};
    }
    const files::KeptCopy copy = files::KeepCopy(file.path, file.path + ".bad");
    if (copy.path.empty()) {
        file.leaveAsIs = TrFill("%s endommagé et sans copie, laissé tel quel", {NameOf(file.path)});
        std::fprintf(stderr, "nuvix: %s is damaged (%s) and could not be kept aside (%s): left as it is\n",
                     file.path.c_str(), problem.c_str(), copy.reason.c_str());
        return TrFill("Fichier %s endommagé : réglages par défaut ; copie impossible (%s) : il est laissé tel quel.",
                      {NameOf(file.path), copy.reason});
    }
    std::fprintf(stderr, "nuvix: %s is damaged (%s): kept aside as %s\n", file.path.c_str(), problem.c_str(),
                 copy.path.c_str());
    return TrFill("Fichier %s endommagé : réglages par défaut, copie conservée dans %s.",
                  {NameOf(file.path), NameOf(copy.path)});
}

std::string StoreSettings(const SettingsFile& file)
{
    if (!file.leaveAsIs.empty()) return file.leaveAsIs;
    const std::string text = file.keys.Text();
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const files::ReplaceResult replaced = files::ReplaceFile(file.path, {bytes});
    return replaced.written ? std::string() : replaced.reason;
}

}  // namespace nuvix
