// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

// Plays the clean-up macro "RmvDelayCode.wcm" (platform::DataFile) on
// the current document and waits until the word processor has finished it.
class RmvDelayCode final {
public:
    // True when every step ran to its end; False when any failed or the
    // macro was still playing when the wait limit passed.
    bool RemoveDelayCode();

    static QString MacroPath();

    // How long the wait for the macro may last in all (a few minutes), and
    // how long each of its event passes may sleep while nothing happens.
    static int WaitLimitMs();
    static void SetWaitLimitMs(int ms);
    static int PollIntervalMs();
    static void SetPollIntervalMs(int ms);
};
