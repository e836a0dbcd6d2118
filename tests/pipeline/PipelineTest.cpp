// SPDX-License-Identifier: MPL-2.0
// The small objects a document travels through: the extension chain, the
// queue, parse objects, decorators and command objects.
#include "core/ExtensionList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "modes/QueueingState.h"
#include "modes/StateManager.h"
#include "pipeline/Chain.h"
#include "pipeline/Cmd2.h"
#include "pipeline/Decorator.h"
#include "pipeline/DummyObject.h"
#include "pipeline/ParseObject.h"
#include "pipeline/Stack.h"
#include "pipeline/StackIterator.h"
#include "pipeline/cmd1.h"
#include "support/AppHarness.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

using platform::RuntimeError;
using testsupport::AppHarness;
using testsupport::ErrorNumber;

namespace {

// A late-bound object that counts the calls of its Execute.
class Counter final : public ParseObject {
public:
    int executed = 0;
    QString path;

protected:
    void ParseObject_init(const QString& s) override { path = s; }
    void ParseObject_Execute() override { ++executed; }
};

class NotAParseObject final : public platform::LateBound {
public:
    platform::Value invokeMember(const QString&, const QList<platform::Value>&) override { return {}; }
};

} // namespace

// The chain only ever sets the verdict: a true one left from before stays,
// so its callers reset it first.
TEST(ExtensionChain, VerdictFollowsTheExtensionListIgnoringCaseAndIsNeverReset)
{
    struct Case {
        QStringList list;
        QString extension;
        bool accepted;
    } cases[] = {
        {{"wpd"}, "wpd", true},
        {{"wpd"}, "WPD", true},
        {{"wpd"}, "doc", false},
        {{"WPD"}, "wpd", true},
        {{}, "wpd", false},
        {{"wpd", "wpd"}, "wpd", true},
        {{" wpd"}, "wpd", false},
        {{".doc"}, "doc", false},
        {{"Unknown"}, "Unknown", true},
        {{"wpd"}, "Unknown", false},
    };
    AppHarness app;
    for (const Case& c : cases) {
        for (const bool before : {false, true}) {
            SCOPED_TRACE(qPrintable(c.list.join(",") + " / " + c.extension + (before ? " after true" : "")));
            gMediator->Extensions().setStringList(c.list);
            auto chain = Chain::BuildExtensionChain();
            QString extension = c.extension;
            gAccepted = before;
            EXPECT_FALSE(chain->sendToChain(extension));
            EXPECT_EQ(gAccepted, c.accepted || before);
            EXPECT_EQ(extension, c.extension.toLower()); // lower-cased in place
        }
    }
}

TEST(ExtensionChain, AnUnlinkedChainFailsInsteadOfCrashing)
{
    auto c2 = std::make_shared<Chain2>();
    QString extension = "wpd";
    EXPECT_THROW(c2->sendToChain(extension), RuntimeError);
}

// With fewer than two elements, nextTop is a dummy that does nothing.
TEST(Stack, HandsElementsOutFirstInFirstOutAndNextTopWithFewerThanTwoIsADummy)
{
    Stack s;
    auto a = std::make_shared<Counter>(), b = std::make_shared<Counter>(), c = std::make_shared<Counter>();
    EXPECT_FALSE(s.hasMoreElements());
    EXPECT_EQ(s.NextElement(), nullptr);
    EXPECT_EQ(s.top(), nullptr);
    s.add(a);
    s.add(b);
    EXPECT_EQ(s.top(), b);
    EXPECT_EQ(s.nextTop(), a);
    s.add(c);
    EXPECT_EQ(s.NextElement(), a);
    EXPECT_EQ(s.NextElement(), b);
    EXPECT_EQ(s.NextElement(), c);
    EXPECT_EQ(s.NextElement(), nullptr);
    EXPECT_FALSE(s.hasMoreElements());

    s.add(a);
    auto dummy = s.nextTop();
    ASSERT_NE(std::dynamic_pointer_cast<DummyObject>(dummy), nullptr);
    dummy->Execute();
    EXPECT_EQ(s.size(), 1u);
}

TEST(Stack, NextElement2addDropsTheTwoOldest)
{
    auto a = std::make_shared<Counter>(), b = std::make_shared<Counter>(), c = std::make_shared<Counter>(),
         x = std::make_shared<Counter>();
    Stack three;
    three.add(a);
    three.add(b);
    three.add(c);
    three.NextElement2add(x);
    EXPECT_EQ(three.NextElement(), c);
    EXPECT_EQ(three.NextElement(), x);
    Stack one;
    one.add(a);
    one.NextElement2add(x);
    EXPECT_EQ(one.NextElement(), a);
    EXPECT_EQ(one.NextElement(), x);
}

TEST(Stack, TopOfSomethingElseIsATypeMismatchAndThereIsNoSizeLimit)
{
    Stack s;
    s.add(std::make_shared<NotAParseObject>());
    EXPECT_EQ(ErrorNumber([&] { s.top(); }), RuntimeError::TypeMismatch);
    Stack big;
    for (int i = 0; i < 40000; ++i)
        big.add(std::make_shared<Counter>());
    EXPECT_NE(big.top(), nullptr);
    EXPECT_NE(big.nextTop(), nullptr);
    big.NextElement2add(std::make_shared<Counter>());
    EXPECT_EQ(big.size(), 39999u);
}

TEST(StackIterator, RunsEveryQueuedElementOnce)
{
    gStack = std::make_shared<Stack>();
    auto a = std::make_shared<Counter>(), b = std::make_shared<Counter>();
    gStack->add(a);
    gStack->add(b);
    StackIterator it;
    it.add("plain.wpd"); // a plain parse object: does nothing
    it.Execute();
    EXPECT_EQ(a->executed, 1);
    EXPECT_EQ(b->executed, 1);
    EXPECT_FALSE(gStack->hasMoreElements());
    gStack.reset();
}

TEST(Decorators, DecoratorRunsExecuteByNameAndFailsWithoutAnObject)
{
    auto job = std::make_shared<Counter>();
    std::shared_ptr<AbstractDecorator> d = std::make_shared<Decorator>();
    d->init(job);
    EXPECT_EQ(d->getobject(), job);
    d->ShowIt();
    EXPECT_EQ(job->executed, 1);

    std::shared_ptr<AbstractDecorator> empty = std::make_shared<Decorator>();
    EXPECT_EQ(ErrorNumber([&] { empty->ShowIt(); }), RuntimeError::ObjectRequired);
    std::shared_ptr<AbstractDecorator> noExecute = std::make_shared<Decorator>();
    noExecute->init(std::make_shared<AbstractDecorator>());
    EXPECT_EQ(ErrorNumber([&] { noExecute->ShowIt(); }), RuntimeError::MemberNotFound);
}

TEST(Decorators, ReDecoratorTakesOverTheObjectWithoutRunningIt)
{
    auto job = std::make_shared<Counter>();
    auto inner = std::make_shared<Decorator>();
    inner->init(job);
    auto re = std::make_shared<ReDecorator>();
    re->init(inner);
    EXPECT_EQ(re->getobject(), job);
    re->ShowIt();
    EXPECT_EQ(job->executed, 0);
    re->init(nullptr);
    EXPECT_EQ(re->getobject(), nullptr);
    EXPECT_THROW(re->init(job), RuntimeError); // not a decorator
    AbstractDecorator::Object contents = inner;
    std::static_pointer_cast<AbstractDecorator>(re)->initContents(contents);
    EXPECT_EQ(re->getobject(), job);
    EXPECT_EQ(contents, inner);
}

TEST(Commands, Cmd1SendsTheRecordsSourceFileAndTheLastOneIsRegistered)
{
    AppHarness app;
    Mediator& m = app.mediator();
    m.startStateOne();
    auto first = std::make_shared<cmd1>();
    first->init(&m);
    auto second = std::make_shared<cmd1>();
    second->init(&m);
    EXPECT_EQ(m.registeredCmd1(), second);

    // With no source file chosen, Command1 gets empty text: nothing queued.
    static_cast<Command&>(*second).Execute();
    EXPECT_TRUE(app.server().calls.isEmpty());

    // The source file the record holds at the moment of Execute is the one
    // converted.
    const QString doc = testsupport::WriteFile(app.path("chosen.wpd"));
    m.SetSourceFile(doc);
    m.SetTgtFolder(app.tempDir());
    app.dialogs().fileAnswers = {app.path("chosen.doc")};
    static_cast<Command&>(*second).Execute();
    EXPECT_EQ(app.server().pathsOf("FileOpen"), QStringList{doc});
}

TEST(Commands, Cmd2SendsCommand2EveryTimeItIsExecuted)
{
    AppHarness app;
    Mediator& m = app.mediator();
    m.startStateOne();
    // An empty queue in single-document mode (the file is not accepted),
    // then three queued objects that count their runs.
    m.Command1(app.path("notes.txt"));
    auto* state = dynamic_cast<QueueingState*>(m.stateManager()->current());
    ASSERT_NE(state, nullptr);
    ASSERT_NE(state->pending(), nullptr);
    std::vector<std::shared_ptr<Counter>> queued;
    for (int i = 0; i < 3; ++i) {
        queued.push_back(std::make_shared<Counter>());
        state->pending()->add(queued.back());
    }

    auto next = std::make_shared<Cmd2>();
    platform::CallByName(next.get(), "INIT", {platform::Value(std::static_pointer_cast<QObject>(gMediator))});
    EXPECT_EQ(m.registeredCmd2(), next);
    static_cast<Command&>(*next).Execute();
    static_cast<Command&>(*next).Execute();

    // Two Command2s: the first two queued objects ran once each, the third waits.
    EXPECT_EQ(queued[0]->executed, 1);
    EXPECT_EQ(queued[1]->executed, 1);
    EXPECT_EQ(queued[2]->executed, 0);
    EXPECT_EQ(state->pending()->size(), 1u);
    EXPECT_THROW(platform::CallByName(next.get(), "init", {platform::Value(1)}), RuntimeError);
}

TEST(ParseObjects, AnswerInitAndExecuteByNameAndNothingElse)
{
    auto counter = std::make_shared<Counter>();
    platform::CallByName(counter.get(), "init", {platform::Value(QStringLiteral("p.wpd"))});
    platform::CallByName(counter.get(), "execute");
    EXPECT_EQ(counter->path, "p.wpd");
    EXPECT_EQ(counter->executed, 1);
    EXPECT_THROW(platform::CallByName(counter.get(), "Run"), RuntimeError);
}
