// SPDX-License-Identifier: MPL-2.0
#include "platform/automation/RuntimeError.h"

namespace platform {

RuntimeError::RuntimeError(int number, QString description, QString source)
    : mNumber(number), mDescription(std::move(description)), mSource(std::move(source))
{
    mWhat = QStringLiteral("%1: %2").arg(mNumber).arg(mDescription).toStdString();
    if (!mSource.isEmpty())
        mWhat += " (" + mSource.toStdString() + ")";
}

} // namespace platform
