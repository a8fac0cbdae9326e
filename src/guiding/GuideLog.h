#pragma once

#include "guiding/GuidePulseSink.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace nuvix {

// What the "Guiding Begins at" block says about a guiding session.
struct GuideLogSession {
    float arcsecPerPixel = 0.0f;
    double focalLengthMm = 0.0;
    double raSpeed = 0.0;  // arc seconds per second
    double decSpeed = 0.0;
    bool invertRa = false;
    bool invertDec = false;
    std::string mount;
    int32_t lockX = 0;  // the guide reference, picture pixels
    int32_t lockY = 0;
};

// One guided frame.
struct GuideLogFrame {
    int32_t deltaX = 0;  // reference minus star, picture pixels
    int32_t deltaY = 0;
    bool invertRa = false;
    bool invertDec = false;
    FramePulses pulses;
    int32_t population = 0;  // star pixels in the box
};

// The guide log in the text format that PHD2 introduced and other guiders (Ekos) also write, so
// that the log viewers and scripts astronomers already use read it: a version line when the file
// is new, then per guiding session a "Guiding Begins at" block with the scale and settings, the
// column header, one line per guided frame and "Guiding Ends at". The file is appended to, never
// replaced; each line reaches the disk as it is written. A frame whose star was lost or swamped
// is a "DROP" line, left out of the statistics by the readers.
//
// Each column in this system's terms: dx, dy the star minus the reference (the opposite of Delta X
// and Delta Y); RARawDistance, DECRawDistance the error after the inversion flags, positive where
// the correction goes west or south; RAGuideDistance, DECGuideDistance the pixels the pulse
// covers at the axis's correction speed; durations in milliseconds (1/63 s per unit) with E/W and
// N/S; StarMass the star's population; SNR is not measured and stays empty.
class GuideLog {
public:
    // `program` names the writer on the version line.
    GuideLog(std::string path, std::string program);
    ~GuideLog();
    GuideLog(const GuideLog&) = delete;
    GuideLog& operator=(const GuideLog&) = delete;

    void Begin(const GuideLogSession& session, int32_t nowMs);
    void Frame(const GuideLogFrame& frame, int32_t nowMs);
    void End();
    bool InSession() const { return inSession_; }
    // True once, after the first write that failed; the log is given up then.
    bool TakeFailure();

private:
    bool Open();
    void Write(const std::string& text);

    std::string path_;
    std::string program_;
    std::ofstream out_;
    bool failed_ = false;
    bool failureTold_ = false;
    bool inSession_ = false;
    GuideLogSession session_;
    int32_t startMs_ = 0;
    int frameNumber_ = 0;
};

}  // namespace nuvix
