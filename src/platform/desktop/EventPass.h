// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QtGlobal>

namespace platform {

// One event pass: process every window event already queued, then return.
void DoEvents();

// One event pass that, when nothing is queued, sleeps until an event arrives
// or `maxWaitMs` has passed. For polling loops: the program stays responsive
// without spinning the processor.
void DoEventsWaiting(int maxWaitMs);

// Number of event passes run so far (both kinds). Tests count passes with it.
quint64 EventPassCount();

} // namespace platform
