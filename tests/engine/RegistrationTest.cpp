// How the program gets its engine: by ProgID, failing at once when there is
// no office (an office that is there but broken fails the documents, not the
// program: see RobustnessTest).
#include "EngineTestSupport.h"

#include "engine/office/OfficeInstallation.h"
#include "engine/server/EngineRegistration.h"
#include "platform/ProgIdRegistry.h"

#include <QElapsedTimer>

using namespace enginetest;
using engine::OfficeInstallation;
using platform::RuntimeError;

namespace {

class RegistrationTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine::RegisterEngine();
    }
    void TearDown() override { OfficeInstallation::SetExecutable(QString()); }
};

TEST_F(RegistrationTest, WithoutARunnableOfficeTheServerCannotBeCreated)
{
    const QString notExecutable = path(QStringLiteral("soffice.bin"));
    WriteFile(notExecutable, "#!/bin/sh\n");
    struct Case {
        QString program;
        const char* reason;
    };
    const QList<Case> cases{
        {path(QStringLiteral("missing/soffice.bin")), "is not installed"},
        {mDir.path(), "not a regular file"},
        {notExecutable, "may not be executed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        OfficeInstallation::SetExecutable(c.program);
        QElapsedTimer clock;
        clock.start();
        const auto e =
            FailureOf([] { platform::ProgIdRegistry::CreateObject(QStringLiteral("WordPerfect.PerfectScript")); });
        EXPECT_EQ(e.number(), RuntimeError::CannotCreateObject);
        EXPECT_TRUE(Says(e, c.program));
        EXPECT_TRUE(Says(e, QString::fromLatin1(c.reason)));
        EXPECT_LT(clock.elapsed(), 2000) << "the check started something";
    }
}

} // namespace
