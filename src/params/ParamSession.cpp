#include "params/ParamSession.h"

#include "platform/files/PendingFile.h"
#include "platform/files/ReplaceFile.h"
#include "platform/files/Target.h"
#include "platform/text/Translate.h"

#include <filesystem>

namespace nuvix {

namespace {

void Tell(std::string& message, const std::string& text)
{
    if (!message.empty()) message += "\n\n";
    message += text;
}

// The working directory also holds the pictures, whose writes a kill may have cut short too.
void RemoveLeftoversBeside(const std::string& path)
{
    const std::string here = files::DirectoryOf(path);
    files::RemoveLeftovers(here);
    const files::Target target = files::FollowLinks(path);
    if (target.error == 0 && files::DirectoryOf(target.path) != here) {
        files::RemoveLeftovers(files::DirectoryOf(target.path));
    }
}

}  // namespace

SessionStart StartParamSession(const std::string& path, ParamFileSession& session)
{
    const std::string name = std::filesystem::path(path).filename().string();
    session.lock = files::OwnerLock::Claim(path);
    RemoveLeftoversBeside(path);

    LoadResult loaded = LoadParams(path);
    SessionStart start{loaded.record, loaded.message};
    session.leaveAsIs = loaded.leaveAsIs;
    if (session.lock.GetState() == files::OwnerLock::State::HeldByAnother) {
        Tell(start.message, TrFill("Une autre instance de Nuvix utilise déjà %s dans ce répertoire : les paramètres "
                                   "de cette session ne seront pas enregistrés.",
                                   {name}));
        if (session.leaveAsIs.empty()) session.leaveAsIs = TrFill("une autre instance de Nuvix utilise %s", {name});
    } else if (session.leaveAsIs.empty()) {
        // Told now rather than after a night's work; the store still tries, in case it is put right.
        const std::string obstacle = files::ReplaceObstacle(path);
        if (!obstacle.empty()) {
            Tell(start.message,
                 TrFill("Les paramètres de cette session ne pourront pas être enregistrés : %s.", {obstacle}));
        }
    }
    return start;
}

const SaveResult& EndParamSession(const std::string& path, const tparam& record, ParamFileSession& session)
{
    if (!session.endOfRun) {
        session.endOfRun = session.leaveAsIs.empty() ? SaveParams(path, record) : SaveResult{false, session.leaveAsIs};
    }
    return *session.endOfRun;
}

}  // namespace nuvix
