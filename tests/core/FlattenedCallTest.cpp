// SPDX-License-Identifier: MPL-2.0
// A call its own work asks for again runs as a loop: in order, one deep, and
// on past failures only when told to.
#include "core/FlattenedCall.h"
#include "platform/automation/RuntimeError.h"

#include <gtest/gtest.h>

TEST(FlattenedCall, ACallAskedForAgainIsMadeAfterItReturnsNeverInside)
{
    FlattenedCall flattened;
    int made = 0, depth = 0, deepest = 0;
    std::function<void()> call = [&] {
        deepest = std::max(deepest, ++depth);
        if (++made < 20000)
            flattened.run(call); // the job's closing Command2
        --depth;
    };
    flattened.run(call);
    EXPECT_EQ(made, 20000);
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(flattened.underWay());
}

TEST(FlattenedCall, AFailureEndsTheLoopUnlessToldToGoOn)
{
    const platform::RuntimeError failure(platform::RuntimeError::AutomationError, QStringLiteral("no"));
    for (const bool goOn : {false, true}) {
        SCOPED_TRACE(goOn);
        FlattenedCall flattened;
        int made = 0;
        std::function<void()> call = [&] {
            ++made;
            if (made % 2 == 1 && made < 5)
                throw failure; // documents 1 and 3 fail
            if (made < 5)
                flattened.run(call); // the next, as a job asks at its end
        };
        const auto run = [&] { flattened.run(call, goOn ? std::function<bool()>([&] { return made < 5; }) : nullptr); };
        if (goOn)
            EXPECT_NO_THROW(run());
        else
            EXPECT_THROW(run(), platform::RuntimeError);
        EXPECT_EQ(made, goOn ? 5 : 1);
        EXPECT_FALSE(flattened.underWay()); // ready for the next batch
    }
}
