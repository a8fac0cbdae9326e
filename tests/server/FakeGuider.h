#pragma once

#include "server/GuiderCommands.h"

#include <string>
#include <vector>

namespace nuvix::testing {

// A guider that answers every question and writes down every command it carried out, so that a
// test sees what a request changed, if anything.
class FakeGuider : public server::GuiderCommands {
public:
    std::vector<std::string> done;  // the commands carried out, with their arguments
    bool refuse = false;            // every command refused

    std::string AppState() override { return "Looping"; }
    bool Connected() override { return true; }
    server::Outcome SetConnected(bool c) override { return Did("set_connected " + Flag(c)); }
    server::Equipment CurrentEquipment() override { return {{"QuickCam", true}, {"Stellon standard", true}}; }
    std::string ProfileName() override { return "campar.dat"; }
    double PixelScale() override { return 2.5; }
    int ExposureMs() override { return 68; }
    server::Outcome SetExposureMs(int ms) override { return Did("set_exposure " + std::to_string(ms)); }
    std::vector<int> ExposureDurations() override { return {1, 68, 989}; }
    server::Outcome Loop() override { return Did("loop"); }
    server::Outcome StopCapture() override { return Did("stop_capture"); }
    server::Answer<server::Position> FindStar() override { return {server::Position{160, 120}, {}}; }
    server::Outcome Guide(const server::SettleParams& s, bool r) override
    {
        return Did("guide " + Num(s.pixels) + " " + Num(s.time) + " " + Num(s.timeout) + " " + Flag(r));
    }
    server::Outcome Dither(double amount, bool raOnly, const server::SettleParams& s) override
    {
        return Did("dither " + Num(amount) + " " + Flag(raOnly) + " " + Num(s.pixels) + " " + Num(s.time) + " " +
                   Num(s.timeout));
    }
    bool Settling() override { return false; }
    bool Paused() override { return false; }
    server::Outcome SetPaused(bool p, bool full) override { return Did("set_paused " + Flag(p) + " " + Flag(full)); }
    std::optional<server::Position> LockPosition() override { return std::nullopt; }
    server::Outcome SetLockPosition(server::Position at, bool exact) override
    {
        return Did("set_lock_position " + Num(at.x) + " " + Num(at.y) + " " + Flag(exact));
    }
    bool Calibrated() override { return true; }
    server::Outcome ClearCalibration(const std::string& which) override { return Did("clear_calibration " + which); }
    bool GuideOutputEnabled() override { return true; }
    server::Outcome SetGuideOutputEnabled(bool e) override { return Did("set_guide_output_enabled " + Flag(e)); }
    DecGuideMode GetDecGuideMode() override { return DecGuideMode::Auto; }
    server::Outcome SetDecGuideMode(DecGuideMode m) override
    {
        return Did(std::string("set_dec_guide_mode ") + DecGuideModeName(m));
    }
    server::Answer<server::StarImage> GetStarImage(int size) override
    {
        done.push_back("get_star_image " + std::to_string(size));
        return {server::StarImage{7, 2, 1, {1, 0}, {0x0102, 0xFFFF}}, {}};
    }
    server::Answer<std::string> SaveImage() override { return {std::string("/tmp/x.bmp"), {}}; }
    server::Outcome CaptureSingleFrame(std::optional<int> ms) override
    {
        return Did("capture_single_frame " + (ms ? std::to_string(*ms) : std::string("-")));
    }
    server::Outcome Shutdown() override { return Did("shutdown"); }

private:
    server::Outcome Did(std::string what)
    {
        if (refuse) return server::Refused("refused");
        done.push_back(std::move(what));
        return {};
    }
    static std::string Flag(bool b) { return b ? "true" : "false"; }
    static std::string Num(double v)
    {
        std::string t = std::to_string(v);
        t.erase(t.find_last_not_of('0') + 1);
        if (t.back() == '.') t.pop_back();
        return t;
    }
};

}  // namespace nuvix::testing
