// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace testsupport {

// Sets (or, with a null value, removes) an environment variable for the
// lifetime of the object.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const QByteArray& value) : mName(name), mOld(qgetenv(name)), mHad(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (mHad)
            qputenv(mName, mOld);
        else
            qunsetenv(mName);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    QByteArray mOld;
    bool mHad;
};

// Points TMPDIR at a fresh folder of its own for the lifetime of the object.
class ScopedTmpDir final {
public:
    QString path() const { return mDir.path(); }

private:
    QTemporaryDir mDir;
    ScopedEnv mEnv{"TMPDIR", QFile::encodeName(mDir.path())};
};

} // namespace testsupport
