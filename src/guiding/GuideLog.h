#pragma once

#include "guiding/GuidingEvents.h"
#include "platform/clock/Clock.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace nuvix {

// The guide log in the text format that PHD2 introduced and other guiders (Ekos) also write, so
// that the log viewers and scripts astronomers already use read it. It hears the guiding's events:
// a version line when the file is new; per calibration a "Calibration Begins at" section with one
// line per step and each axis's angle and rate; per guiding session a "Guiding Begins at" section
// with the set-up, the column header, one line per guided frame and "Guiding Ends at"; "INFO:"
// lines for changes of state. The file is appended to, never replaced; each line reaches the disk
// as it is written. A frame without a usable star is a "DROP" line, left out of the statistics.
//
// Each column in this system's terms: dx, dy the star minus the reference; RARawDistance,
// DECRawDistance the error on each axis, positive where the correction goes west or south;
// RAGuideDistance, DECGuideDistance the pixels the pulses sent cover; durations in milliseconds
// with E/W and N/S (0 for a pulse not sent); StarMass and SNR the star's measure.
class GuideLog final : public GuidingObserver {
public:
    // `program` names the writer on the version line; `clock` times the frames.
    GuideLog(std::string path, std::string program, Clock& clock);
    ~GuideLog() override;
    GuideLog(const GuideLog&) = delete;
    GuideLog& operator=(const GuideLog&) = delete;

    void Hear(const GuidingEvent& event) override;
    // True once, after the first write that failed; the log is given up then.
    bool TakeFailure();

private:
    bool Open();
    void Write(const std::string& text);
    void Begin(const GuidingBegun& begun);
    void Step(const GuideStep& step);
    void End();
    void Calibration(const GuidingEvent& event);
    void Note(const GuidingNote& note);

    std::string path_;
    std::string program_;
    Clock& clock_;
    std::ofstream out_;
    bool failed_ = false;
    bool failureTold_ = false;
    bool guiding_ = false;
    bool calibrating_ = false;
    GuidingBegun session_;
    int32_t startMs_ = 0;
    int frameNumber_ = 0;
};

}  // namespace nuvix
