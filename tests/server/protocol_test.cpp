// Requests as clients send them, well-formed and not: the reply each gets, and what it changed.
#include "server/Protocol.h"
#include "FakeGuider.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace nuvix::server {
namespace {

using nlohmann::json;

struct Exchange {
    std::string request;
    std::string done;  // the command carried out; empty: none
    json result;       // the reply's result when there is no error
    int error = 0;     // the reply's error code; 0: a result
};

json Answer(const std::string& request, testing::FakeGuider& guider)
{
    const std::optional<std::string> reply = HandleRequestLine(request, guider);
    return reply ? json::parse(*reply) : json();
}

TEST(ServerProtocol, EveryRequestGetsItsReplyAndOnlyValidOnesChangeAnything)
{
    const Exchange table[] = {
        // What Ekos and the wiki's examples send.
        {R"({"id":1,"jsonrpc":"2.0","method":"guide","params":[{"pixels":1,"time":0,"timeout":45},false]})",
         "guide 1 0 45 false", 0},
        {R"({"method":"guide","params":{"settle":{"pixels":1.5,"time":8,"timeout":40},"recalibrate":true},"id":42})",
         "guide 1.5 8 40 true", 0},
        {R"({"id":2,"method":"dither","params":[2,false,{"pixels":1,"time":0,"timeout":45}]})", "dither 2 false 1 0 45",
         0},
        {R"({"id":3,"method":"dither","params":{"amount":10,"raOnly":true,"settle":{"pixels":1.5,"time":8,"timeout":40}}})",
         "dither 10 true 1.5 8 40", 0},
        {R"({"id":4,"method":"set_paused","params":[true,"full"]})", "set_paused true true", 0},
        {R"({"id":6,"method":"set_exposure","params":[989]})", "set_exposure 989", 0},
        {R"({"id":7,"method":"set_dec_guide_mode","params":["South"]})", "set_dec_guide_mode South", 0},
        {R"({"id":8,"method":"set_lock_position","params":[160.5,120,false]})", "set_lock_position 160.5 120 false", 0},
        {R"({"id":9,"method":"set_connected","params":[false]})", "set_connected false", 0},
        {R"({"id":10,"method":"capture_single_frame"})", "capture_single_frame -", 0},
        {R"({"id":11,"method":"get_exposure"})", "", 68},
        {R"({"id":12,"method":"get_lock_position"})", "", nullptr},
        {R"({"id":13,"method":"get_profile"})", "", {{"id", 1}, {"name", "campar.dat"}}},
        {R"({"id":14,"method":"get_exposure_durations"})", "", {1, 68, 989}},
        {R"({"id":15,"method":"find_star"})", "", {160.0, 120.0}},
        {R"({"id":16,"method":"get_star_image","params":[32]})",
         "get_star_image 32",
         {{"frame", 7}, {"width", 2}, {"height", 1}, {"star_pos", {1.0, 0.0}}, {"pixels", "AgH//w=="}}},
        // Not JSON, not a request.
        {"not json", "", nullptr, kParseError},
        {R"({"id":1,"method":"guide")", "", nullptr, kParseError},
        {R"([{"id":1,"method":"loop"}])", "", nullptr, kInvalidRequest},
        {R"({"id":{"a":1},"method":"loop"})", "", nullptr, kInvalidRequest},
        {R"({"id":1,"method":7})", "", nullptr, kInvalidRequest},
        {R"({"id":1})", "", nullptr, kInvalidRequest},
        {R"({"id":1,"method":"loop","params":"now"})", "", nullptr, kInvalidParams},
        // Unknown methods, and the protocol's methods that mean nothing here.
        {R"({"id":1,"method":"format_disk"})", "", nullptr, kMethodNotFound},
        {R"({"id":1,"method":"guide_pulse","params":[100,"N"]})", "", nullptr, kNotDone},
        // Wrong types and values: nothing changes.
        {R"({"id":1,"method":"guide","params":[{"pixels":"1","time":0,"timeout":45}]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"guide","params":[{"pixels":0,"time":0,"timeout":45}]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"guide","params":[{"pixels":1,"time":0,"timeout":1e300}]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"guide","params":[[1,0,45]]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"guide","params":[null,"yes"]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"guide","params":{"settle":{"pixels":1,"time":0,"timeout":9},"roi":[0,0,9,9]}})", "",
         nullptr, kInvalidParams},
        {R"({"id":1,"method":"dither","params":["5",false]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"dither","params":[-5]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"dither","params":[1e9]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_paused","params":["true"]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_exposure","params":[1.5]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_exposure","params":[1e20]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_dec_guide_mode","params":["north"]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_lock_position","params":[1]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_connected","params":[1]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_guide_output_enabled","params":[]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"set_profile","params":[2]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"get_star_image","params":[14]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"clear_calibration","params":["all"]})", "", nullptr, kInvalidParams},
        {R"({"id":1,"method":"capture_single_frame","params":{"subframe":[0,0,10,10]}})", "", nullptr, kInvalidParams},
    };
    for (const Exchange& e : table) {
        SCOPED_TRACE(e.request);
        testing::FakeGuider guider;
        const json reply = Answer(e.request, guider);
        ASSERT_TRUE(reply.is_object());
        EXPECT_EQ(reply["jsonrpc"], "2.0");
        EXPECT_TRUE(reply.contains("id"));
        if (e.error != 0) {
            EXPECT_EQ(reply["error"]["code"], e.error);
            EXPECT_FALSE(reply["error"]["message"].get<std::string>().empty());
            EXPECT_TRUE(guider.done.empty());
        } else {
            ASSERT_FALSE(reply.contains("error")) << reply.dump();
            EXPECT_EQ(guider.done, e.done.empty() ? std::vector<std::string>{} : std::vector<std::string>{e.done});
            if (e.done.empty() || e.done.rfind("get_", 0) == 0) {
                EXPECT_EQ(reply["result"], e.result);
            } else {
                EXPECT_EQ(reply["result"], 0);
            }
        }
    }
}

TEST(ServerProtocol, ARefusedCommandIsAnErrorWithTheReasonAndANotificationIsNotAnswered)
{
    testing::FakeGuider guider;
    guider.refuse = true;
    const json reply = Answer(R"({"id":"a","method":"stop_capture"})", guider);
    EXPECT_EQ(reply["id"], "a");
    EXPECT_EQ(reply["error"]["code"], kNotDone);
    EXPECT_EQ(reply["error"]["message"], "refused");

    testing::FakeGuider quiet;
    EXPECT_FALSE(HandleRequestLine(R"({"method":"loop"})", quiet));
    EXPECT_EQ(quiet.done, std::vector<std::string>{"loop"});
    EXPECT_FALSE(HandleRequestLine(R"({"method":"no_such"})", quiet));
}

}  // namespace
}  // namespace nuvix::server
