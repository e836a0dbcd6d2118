// SPDX-License-Identifier: MPL-2.0
// Where the program finds the files it ships (the clean-up macro): next to
// the executable in a build folder, in share/tallowin/ when installed.
#include "platform/desktop/Program.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DataFile, BesideTheExecutableFirstThenTheInstalledDataFolder)
{
    struct Case {
        const char* what;
        bool beside;
        bool installed;
        const char* expected; // relative to the tree
    };
    const Case cases[] = {
        {"build folder", true, false, "bin/RmvDelayCode.wcm"},
        {"installed", false, true, "share/tallowin/RmvDelayCode.wcm"},
        {"both: the one beside the executable", true, true, "bin/RmvDelayCode.wcm"},
        {"neither: named beside the executable", false, false, "bin/RmvDelayCode.wcm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tree;
        const QDir root(tree.path());
        ASSERT_TRUE(root.mkpath("bin") && root.mkpath("share/tallowin"));
        for (const auto& [wanted, path] : {std::pair{c.beside, "bin/RmvDelayCode.wcm"},
                                           std::pair{c.installed, "share/tallowin/RmvDelayCode.wcm"}})
            if (wanted)
                testsupport::WriteFile(root.filePath(path));
        platform::SetAppPath(root.filePath("bin"));
        EXPECT_EQ(platform::DataFile("RmvDelayCode.wcm").toStdString(), root.filePath(c.expected).toStdString());
        platform::SetAppPath(QString());
    }
}
