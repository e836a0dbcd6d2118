// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <mutex>

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>

namespace engine {

// Answers every question the office asks while it loads or saves a document
// (a password, a filter option, "repair this file?") with "abort": nobody sits
// in front of the hidden office, and a load must never wait for an answer.
// It remembers what was asked, so that the failure can say why.
class AbortingInteractionHandler final : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const css::uno::Reference<css::task::XInteractionRequest>& request) override;

    // The type name of the last request ("" when none came).
    QString lastRequest() const;
    bool askedForPassword() const;

private:
    mutable std::mutex mLock;
    QString mLastRequest;
};

} // namespace engine
