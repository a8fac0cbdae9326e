#include "platform/indi/MountNotices.h"

#include "platform/text/Translate.h"

#include <string>

namespace nuvix::indi {

namespace {

using Kind = MountNotice::Kind;

MountNotice Notice(Kind kind, std::string log, std::string text = {})
{
    return {kind, std::move(log), std::move(text)};
}

std::string Quoted(std::string_view name)
{
    std::string quoted(1, '"');
    quoted.append(name).push_back('"');
    return quoted;
}

void LinkNotices(const MountCondition& before, const MountCondition& now, const std::string& mount,
                 const std::string& server, std::vector<MountNotice>& out)
{
    if (now.link == before.link) return;
    switch (now.link) {
    case MountLink::Ready:
        out.push_back(Notice(
            Kind::Info, (before.link == MountLink::ServerGone ? "INDI server " + server + " back, " : std::string()) +
                            "mount " + Quoted(mount) + " ready to guide"));
        break;
    case MountLink::NoMount:
        out.push_back(mount.empty() ? Notice(Kind::Failure, "no INDI mount that takes guide pulses on " + server,
                                             TrFill("Pas de monture INDI sur %s", {server}))
                                    : Notice(Kind::Failure, "INDI mount " + Quoted(mount) + " missing on " + server,
                                             TrFill("Monture INDI absente : %s (%s)", {mount, server})));
        break;
    case MountLink::ServerGone:
        out.push_back(Notice(
            Kind::Failure,
            "INDI server " + server + (now.served ? " lost: " : " does not answer: ") + ProblemLogText(now.problem),
            TrFill("Le serveur INDI ne répond pas : %s (%s)", {server, ProblemText(now.problem)})));
        break;
    case MountLink::Starting:
        break;
    }
}

}  // namespace

std::vector<MountNotice> NoticesFor(const MountCondition& before, const MountCondition& now, std::string_view mount,
                                    std::string_view server)
{
    const std::string name(mount);
    const std::string where(server);
    std::vector<MountNotice> out;
    LinkNotices(before, now, name, where, out);
    if (now.link != MountLink::Ready) return out;
    // A mount that was away is compared with one that follows the sky.
    const MountCondition was = before.link == MountLink::Ready ? before : MountCondition{};
    const std::string who = "mount " + Quoted(name);
    if (now.parked != was.parked) {
        out.push_back(now.parked ? Notice(Kind::Halt, who + " parked: no guide pulses",
                                          Tr("Monture parquée : plus de corrections"))
                                 : Notice(Kind::Info, who + " unparked"));
    }
    if (now.tracking != was.tracking) {
        out.push_back(now.tracking ? Notice(Kind::Info, who + " tracking: guide pulses resume")
                                   : Notice(Kind::Halt, who + " stopped tracking: no guide pulses",
                                            Tr("La monture ne suit plus : plus de corrections")));
    }
    if (now.slewing != was.slewing) {
        out.push_back(Notice(Kind::Info, who + (now.slewing ? " slewing: no guide pulses" : " slew done")));
    }
    if (now.pierSide != was.pierSide && now.pierSide != PierSide::Unknown) {
        out.push_back(Notice(
            Kind::Info, who + " on the " + (now.pierSide == PierSide::East ? "east" : "west") + " side of the pier"));
    }
    return out;
}

MountNotice ChosenNotice(std::string_view mount, std::string_view server)
{
    return Notice(Kind::Info, "INDI mount " + Quoted(mount) + " chosen on " + std::string(server) +
                                  " (--indi-mount names another)");
}

}  // namespace nuvix::indi
