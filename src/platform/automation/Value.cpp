// SPDX-License-Identifier: MPL-2.0
#include "platform/automation/Value.h"

#include "platform/automation/RuntimeError.h"

namespace platform {

void Value::typeMismatch()
{
    throw RuntimeError(RuntimeError::TypeMismatch, QStringLiteral("Type mismatch"));
}

namespace {
[[noreturn]] void mismatch()
{
    Value::typeMismatch();
}
} // namespace

Value Value::null()
{
    Value v;
    v.mType = Type::Null;
    return v;
}

qint64 Value::toInteger() const
{
    switch (mType) {
    case Type::Empty:
        return 0;
    case Type::Null:
    case Type::Object:
        mismatch();
    case Type::Boolean:
    case Type::Integer:
        return mInt;
    case Type::Text: {
        bool ok = false;
        const qint64 n = mText.trimmed().toLongLong(&ok);
        if (!ok)
            mismatch();
        return n;
    }
    }
    mismatch();
}

bool Value::toBool() const
{
    return toInteger() != 0;
}

QString Value::toText() const
{
    switch (mType) {
    case Type::Empty:
        return QString();
    case Type::Null:
    case Type::Object:
        mismatch();
    case Type::Boolean:
        return mInt ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Integer:
        return QString::number(mInt);
    case Type::Text:
        return mText;
    }
    mismatch();
}

bool Value::operator==(const Value& other) const
{
    if (mType != other.mType)
        return false;
    if (mType == Type::Object)
        return mObject == other.mObject;
    return mType == Type::Text ? mText == other.mText : mInt == other.mInt;
}

} // namespace platform
