// SPDX-License-Identifier: MPL-2.0
#include "conversion/RmvDelayCode.h"

#include "conversion/Automation.h"
#include "platform/desktop/EventPass.h"
#include "platform/desktop/Program.h"
#include "platform/automation/RuntimeError.h"

#include <QElapsedTimer>

namespace {
int gWaitLimitMs = 3 * 60 * 1000;
int gPollIntervalMs = 10;

bool isTrue(const platform::Value& v)
{
    using T = platform::Value::Type;
    return (v.type() == T::Boolean || v.type() == T::Integer) && v.toInteger() == -1;
}
} // namespace

int RmvDelayCode::WaitLimitMs() { return gWaitLimitMs; }
void RmvDelayCode::SetWaitLimitMs(int ms) { gWaitLimitMs = ms; }
int RmvDelayCode::PollIntervalMs() { return gPollIntervalMs; }
void RmvDelayCode::SetPollIntervalMs(int ms) { gPollIntervalMs = ms; }

QString RmvDelayCode::MacroPath()
{
    return platform::DataFile(QStringLiteral("RmvDelayCode.wcm"));
}

bool RmvDelayCode::RemoveDelayCode()
{
    try {
        // Null or True (-1) means blank; any other value, 0 and 1 included,
        // means there is content to clean.
        const platform::Value blank = Automation::envDocBlank();
        const bool isBlank = blank.isNull() || ~blank.toInteger() == 0;
        if (isBlank)
            return true;

        Automation::PosDocVeryTop();
        Automation::MacroFilePlay(MacroPath());
        platform::Value playing = Automation::envMacroPlaying();
        for (int i = 0; i < 8; ++i)
            platform::DoEvents();

        // Wait while the server reports the macro as playing. Each pass
        // sleeps until an event arrives or the poll interval passes, and the
        // whole wait is limited: a server that never stops "playing" must not
        // hold the program (or a batch) for ever.
        QElapsedTimer waited;
        waited.start();
        while (isTrue(playing)) {
            if (waited.elapsed() >= gWaitLimitMs)
                return false;
            platform::DoEventsWaiting(gPollIntervalMs);
            playing = Automation::envMacroPlaying();
        }
        return true;
    } catch (const platform::RuntimeError&) {
        return false;
    }
}
