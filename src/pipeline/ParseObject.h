// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <QString>

// One queued source document. As a plain object its operations do nothing.
// Its operations can also be called by name ("init", "Execute").
class ParseObject : public platform::LateBound {
public:
    void init(const QString& str) { ParseObject_init(str); }
    void Execute() { ParseObject_Execute(); }

    platform::Value invokeMember(const QString& member, const QList<platform::Value>& args) override;

protected:
    virtual void ParseObject_init(const QString&) {}
    virtual void ParseObject_Execute() {}
};

// Converts its document with the batch conversion job.
class ParseObject1 final : public ParseObject {
protected:
    void ParseObject_init(const QString& str) override { mPath = str; }
    void ParseObject_Execute() override;

private:
    QString mPath;
};

// Converts its document with the single-document conversion job.
class ParseObject2 final : public ParseObject {
protected:
    void ParseObject_init(const QString& str) override { mPath = str; }
    void ParseObject_Execute() override;

private:
    QString mPath;
};
