// SPDX-License-Identifier: MPL-2.0
#include "engine/office/AbortingInteractionHandler.h"

#include "engine/office/UnoRuntime.h"

#include <com/sun/star/task/XInteractionAbort.hpp>

using namespace css;

namespace engine {

void AbortingInteractionHandler::handle(const uno::Reference<task::XInteractionRequest>& request)
{
    if (!request.is())
        return;
    {
        std::lock_guard guard(mLock);
        mLastRequest = UnoRuntime::ToQString(request->getRequest().getValueTypeName());
    }
    const auto continuations = request->getContinuations();
    for (const auto& continuation : continuations) {
        uno::Reference<task::XInteractionAbort> abort(continuation, uno::UNO_QUERY);
        if (abort.is()) {
            abort->select();
            return;
        }
    }
}

QString AbortingInteractionHandler::lastRequest() const
{
    std::lock_guard guard(mLock);
    return mLastRequest;
}

bool AbortingInteractionHandler::askedForPassword() const
{
    return lastRequest().contains(QStringLiteral("Password"), Qt::CaseInsensitive);
}

} // namespace engine
