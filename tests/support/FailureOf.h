#pragma once

#include "core/base/Failure.h"

#include <QString>
#include <functional>

// The description of the Failure an action throws, or "(no failure)".
inline QString failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return QStringLiteral("(no failure)");
}
