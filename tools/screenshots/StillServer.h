// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <QString>

// A stand-in word processor for pictures of the windows: it answers the
// automation operations at once, writes a one-line file on each save, fails
// to open the one document it is told to fail on, and says that the Word
// file of "Annual report 2002.wpd" lacks a picture.
class StillServer final : public platform::Dispatchable {
public:
    explicit StillServer(QString failingName);

private:
    QString mFailingName;
    QString mCurrent;
};
