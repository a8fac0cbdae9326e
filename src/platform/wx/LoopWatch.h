#pragma once

namespace nuvix::wx {

// The measure of the program's responsiveness on the desktop. With NUVIX_HANDLER_LOG naming a
// file, every stretch of a millisecond or more during which the main loop handled events
// instead of waiting for input is written there as "<ms since start> <us busy>", and the
// longest at the end. A modal loop waits for input too, so a box left open inside a handler
// does not count as that handler's time. Does nothing without the variable.
void StartLoopWatch();
void StopLoopWatch();

}  // namespace nuvix::wx
