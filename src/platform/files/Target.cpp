#include "platform/files/Target.h"

#include "platform/text/Translate.h"

#include <cerrno>
#include <filesystem>

namespace nuvix::files {

namespace {

// As the kernel does, a chain this long is taken for a loop.
constexpr int kLinkLimit = 40;

}  // namespace

Target FollowLinks(const std::string& path)
{
    std::filesystem::path current(path);
    for (int hop = 0; hop <= kLinkLimit; ++hop) {
        std::error_code error;
        const auto status = std::filesystem::symlink_status(current, error);
        if (status.type() == std::filesystem::file_type::not_found) return {current.string()};
        if (error) return {{}, error.value()};
        if (status.type() != std::filesystem::file_type::symlink) return {current.string()};
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error) return {{}, error.value()};
        // A relative link is relative to the directory that holds it.
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return {{}, ELOOP};
}

std::string DirectoryOf(const std::string& path)
{
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    return directory.empty() ? std::string(".") : directory.string();
}

std::string Shown(const std::string& path, const Target& target)
{
    if (target.path.empty() || target.path == path) return path;
    return TrFill("%s (lien vers %s)", {path, target.path});
}

}  // namespace nuvix::files
