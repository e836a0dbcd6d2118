// SPDX-License-Identifier: MPL-2.0
#include "PlainOfficeClient.h"

#include "engine/office/OfficeInstallation.h"
#include "engine/office/OfficePipes.h"
#include "engine/office/UnoRuntime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <thread>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;
using engine::UnoRuntime;

struct PlainOfficeClient::Office {
    QProcess process;
    uno::Reference<frame::XComponentLoader> desktop;
    QString pipe;
    QString profile;
};

namespace {

bool convertOne(const uno::Reference<frame::XComponentLoader>& desktop, const QString& from, const QString& to)
{
    try {
        const uno::Reference<lang::XComponent> document = desktop->loadComponentFromURL(
            UnoRuntime::FileUrl(from), rtl::OUString("_blank"), 0,
            UnoRuntime::Properties({UnoRuntime::Property("Hidden", uno::Any(true))}));
        if (!document.is())
            return false;
        const uno::Reference<frame::XStorable> storable(document, uno::UNO_QUERY_THROW);
        storable->storeToURL(UnoRuntime::FileUrl(to),
                             UnoRuntime::Properties({UnoRuntime::Property("FilterName", uno::Any(rtl::OUString("MS Word 97"))),
                                                     UnoRuntime::Property("Overwrite", uno::Any(true))}));
        const uno::Reference<util::XCloseable> closeable(document, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            document->dispose();
        return true;
    } catch (const uno::Exception& e) {
        std::fprintf(stderr, "plain client: %s: %s\n", qPrintable(from), qPrintable(UnoRuntime::Describe(e)));
        return false;
    }
}

} // namespace

PlainOfficeClient::PlainOfficeClient(int offices, const QString& folder, const QString& warmUp)
{
    const uno::Reference<uno::XComponentContext> local = UnoRuntime::LocalContext(folder);
    const uno::Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
    for (int i = 0; i < offices; ++i) {
        auto office = std::make_unique<Office>();
        const QString own = folder + QStringLiteral("/office-%1").arg(i);
        office->profile = own + QStringLiteral("/profile");
        QDir().mkpath(own + QStringLiteral("/tmp"));
        const QString pipe = QStringLiteral("tallowin-bench-%1-%2").arg(QCoreApplication::applicationPid()).arg(i);
        office->pipe = pipe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), own + QStringLiteral("/tmp"));
        office->process.setProcessEnvironment(environment);
        office->process.setProgram(engine::OfficeInstallation::Executable());
        office->process.setArguments({QStringLiteral("-env:UserInstallation=")
                                          + UnoRuntime::ToQString(UnoRuntime::FileUrl(own + QStringLiteral("/profile"))),
                                      QStringLiteral("--headless"), QStringLiteral("--invisible"),
                                      QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                                      QStringLiteral("--nodefault"),
                                      QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe)});
        office->process.start();
        const rtl::OUString url =
            UnoRuntime::ToOUString(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe));
        for (int attempt = 0; attempt < 12000 && !office->desktop.is(); ++attempt) {
            try {
                const uno::Reference<uno::XComponentContext> remote(resolver->resolve(url), uno::UNO_QUERY_THROW);
                office->desktop.set(frame::Desktop::create(remote), uno::UNO_QUERY_THROW);
            } catch (const uno::Exception&) {
                // A new profile makes the office end once and ask to be started again.
                if (office->process.state() == QProcess::NotRunning || office->process.waitForFinished(0))
                    office->process.start();
                QThread::msleep(10);
            }
        }
        if (office->desktop.is())
            convertOne(office->desktop, warmUp, own + QStringLiteral("/warm-up.doc"));
        mOffices.push_back(std::move(office));
    }
}

PlainOfficeClient::~PlainOfficeClient()
{
    for (auto& office : mOffices) {
        office->desktop.clear();
        office->process.kill();
        office->process.waitForFinished(5000);
        // A killed office leaves its pipes in /tmp.
        engine::OfficePipes::Remove(office->pipe, office->profile);
    }
}

double PlainOfficeClient::convert(const QStringList& files, const QString& outFolder, int& written)
{
    QDir().mkpath(outFolder);
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> clients;
    for (auto& office : mOffices) {
        clients.emplace_back([&, desktop = office->desktop] {
            for (int i = next++; i < files.size(); i = next++) {
                const QString target = outFolder + QLatin1Char('/') + QFileInfo(files[i]).completeBaseName()
                                       + QStringLiteral(".doc");
                if (desktop.is() && convertOne(desktop, files[i], target))
                    ++done;
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    written = done;
    return clock.nsecsElapsed() / 1e9;
}
