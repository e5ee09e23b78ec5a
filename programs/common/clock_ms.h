// The packers' millisecond clock: monotonic, so that a clock change never shows as time spent.
#pragma once

#include <chrono>

inline unsigned now_ms() {
    using namespace std::chrono;
    return unsigned(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
