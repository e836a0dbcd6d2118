// SPDX-License-Identifier: MPL-2.0
#include "pipeline/ParseObject.h"

#include "conversion/DecObj.h"
#include "conversion/DecObj2.h"
#include "pipeline/Decorator.h"

platform::Value ParseObject::invokeMember(const QString& member, const QList<platform::Value>& args)
{
    return platform::CallMember(member, args,
                                {{"init", 1, [this](const auto& a) { init(a.constFirst().toText()); }},
                                 {"Execute", 0, [this](const auto&) { Execute(); }}});
}

namespace {
// Runs `job` through a decorator: the job's Execute is called by name.
void runDecorated(const std::shared_ptr<platform::LateBound>& job)
{
    std::shared_ptr<AbstractDecorator> decorator = std::make_shared<Decorator>();
    decorator->init(job);
    decorator->ShowIt();
}
} // namespace

void ParseObject1::ParseObject_Execute()
{
    auto job = std::make_shared<DecObj>();
    job->init(mPath);
    runDecorated(job);
}

void ParseObject2::ParseObject_Execute()
{
    auto job = std::make_shared<DecObj2>();
    job->init(mPath);
    runDecorated(job);
}
