// SPDX-License-Identifier: MPL-2.0
#include "core/DocumentList.h"
#include "core/Mediator.h"
#include "support/WindowsHarness.h"

#include <sys/resource.h>
#include <gtest/gtest.h>

TEST(LongBatch, TwentyThousandDocumentsInOneMebibyteOfStack)
{
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_STACK, &limit), 0);
    EXPECT_LE(limit.rlim_cur, rlim_t(1024 * 1024)) << "run this test under ulimit -s 1024";

    constexpr int kDocuments = 20000;
    testsupport::WindowsHarness app(/*showMainWindow=*/true);
    app.server().writeFiles = false;
    app.server().recordCalls = false;
    QStringList names;
    for (int i = 0; i < kDocuments; ++i)
        names << QStringLiteral("d%1.wpd").arg(i, 5, 10, QLatin1Char('0'));
    const auto f = app.folders(names);
    // One document in the middle fails; the batch goes on past it.
    app.server().failOn("FileOpen", f.doc("d10000.wpd"));

    app.startBatch(f);

    const DocumentList& list = app.mediator().Documents();
    // The counts follow the status each row shows (the document list's tests).
    ASSERT_EQ(list.Count(), kDocuments);
    EXPECT_EQ(list.Find(f.doc("d10000.wpd"))->SubItems.first(), "Failed");
    EXPECT_EQ(list.ConvertedCount(), kDocuments - 1);
    EXPECT_EQ(list.FailedCount(), 1);
}
