#pragma once
// The widget benchmarks run offscreen unless a platform is named, and have repaints delivered as
// soon as they are asked for, not at the platform's next frame.
#include <QtGlobal>

namespace bench {

inline void UseOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
}

} // namespace bench
