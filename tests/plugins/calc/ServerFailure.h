#pragma once

#include "core/base/Failure.h"
#include "features/host/Spreadsheet.h"

#include <gtest/gtest.h>

// The description of the failure with which the server refuses to create the
// application; a test failure when it creates one.
inline QString failureOf(SpreadsheetServer& server)
{
    try {
        server.createApplication();
    } catch (const Failure& failure) {
        return failure.description();
    }
    ADD_FAILURE() << "the application was created";
    return {};
}
