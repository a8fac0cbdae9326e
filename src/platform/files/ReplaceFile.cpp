#include "platform/files/ReplaceFile.h"

#include "platform/files/FileErrors.h"
#include "platform/files/PendingFile.h"
#include "platform/files/Target.h"
#include "platform/text/Translate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>

namespace nuvix::files {

namespace {

constexpr mode_t kPermissionBits = 0777;
constexpr mode_t kWriteBits = 0222;
constexpr int kCopyNames = 1000;

// What replacing a path involves: the file really written, and what stands in the way.
struct Plan {
    Target target;
    std::string shown;
    std::optional<struct stat> existing;
    std::string refusal;
};

// Only a plain file that may be written is replaced. A file nobody may write was made read-only on
// purpose, and that holds for root too, who could write it anyway.
std::string Refusal(const Plan& plan)
{
    const struct stat& st = *plan.existing;
    if (S_ISDIR(st.st_mode)) return TrFill("%s est un répertoire", {plan.shown});
    if (!S_ISREG(st.st_mode)) return TrFill("%s n'est pas un fichier ordinaire", {plan.shown});
    if ((st.st_mode & kWriteBits) == 0) return TrFill("%s est protégé en écriture", {plan.shown});
    if (::faccessat(AT_FDCWD, plan.target.path.c_str(), W_OK, AT_EACCESS) != 0) {
        return errno == EROFS ? TrFill("%s est sur un système de fichiers en lecture seule", {plan.shown})
                              : TrFill("%s est protégé en écriture", {plan.shown});
    }
    return {};
}

Plan PlanReplacement(const std::string& path)
{
    Plan plan;
    plan.target = FollowLinks(path);
    plan.shown = Shown(path, plan.target);
    if (plan.target.error != 0) {
        plan.refusal = TrFill("lien %s inutilisable (%s)", {path, ErrorText(plan.target.error)});
        return plan;
    }
    struct stat st {};
    if (::stat(plan.target.path.c_str(), &st) == 0) {
        plan.existing = st;
        plan.refusal = Refusal(plan);
    } else if (errno != ENOENT) {
        plan.refusal = TrFill("accès à %s impossible (%s)", {plan.shown, ErrorText(errno)});
    }
    return plan;
}

}  // namespace

ReplaceResult ReplaceFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces)
{
    ReplaceResult result;
    const Plan plan = PlanReplacement(path);
    if (!plan.refusal.empty()) {
        result.reason = plan.refusal;
        return result;
    }
    PendingFile file(plan.target.path, plan.shown);
    const std::optional<mode_t> mode =
        plan.existing ? std::optional<mode_t>(plan.existing->st_mode & kPermissionBits) : std::nullopt;
    if (!file.Open(mode, result.reason)) return result;
    if (plan.existing) file.KeepOwner(plan.existing->st_uid, plan.existing->st_gid);
    for (const auto piece : pieces) {
        if (!file.Write(piece, result.reason)) return result;
    }
    result.written = file.Sync(result.reason) && file.Replace(result.reason);
    return result;
}

std::string ReplaceObstacle(const std::string& path)
{
    const Plan plan = PlanReplacement(path);
    if (!plan.refusal.empty()) return plan.refusal;
    const std::string directory = DirectoryOf(plan.target.path);
    if (::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return {};
    const std::string why = errno == EACCES ? Tr("répertoire protégé en écriture") : ErrorText(errno);
    return TrFill("création de %s impossible (%s)", {plan.shown, why});
}

KeptCopy KeepCopy(const std::string& from, const std::string& to)
{
    KeptCopy kept;
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (source < 0 || ::fstat(source, &st) != 0) {
        kept.reason = TrFill("lecture de %s impossible (%s)", {from, ErrorText(errno)});
        if (source >= 0) ::close(source);
        return kept;
    }
    PendingFile file(to, to);
    bool copied = file.Open(st.st_mode & kPermissionBits, kept.reason);
    std::array<uint8_t, 64 * 1024> buffer;
    while (copied) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) break;
        if (got < 0) {
            kept.reason = TrFill("lecture de %s impossible (%s)", {from, ErrorText(errno)});
            copied = false;
        } else {
            copied = file.Write(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(got)), kept.reason);
        }
    }
    ::close(source);
    if (!copied || !file.Sync(kept.reason)) return kept;

    int error = EEXIST;
    for (int n = 0; n < kCopyNames && error == EEXIST; ++n) {
        const std::string name = n == 0 ? to : to + "." + std::to_string(n);
        if (file.MoveToNew(name, error)) {
            kept.path = name;
            return kept;
        }
    }
    kept.reason = TrFill("copie de %s impossible (%s)", {from, ErrorText(error)});
    return kept;
}

}  // namespace nuvix::files
