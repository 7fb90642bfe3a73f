#pragma once

// A test suite printing on a CUPS server of its own: the server starts with
// the suite's queues before its first test, the report library's printing
// system and printer list are made from it, and it stops after the last
// test. Without the server's packages every test is skipped.

#include "tests/support/report/CupsServer.h"

#include "report/model/printing/PrinterList.h"
#include "report/output/PrintingSystem.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace reporttest {

class CupsSuite : public ::testing::Test
{
protected:
    // Queues as (name, PPD of tests/data/cups).
    static void StartServer(const std::vector<std::pair<QString, QString>> &aQueues, const QString &aDefault)
    {
        reason = CupsServer::unavailableReason();
        if (!reason.isEmpty())
            return;
        server = new CupsServer();
        started = server->start();
        // The runs on a description whose papers have margins of their own
        // put it in place of the plain A4 one.
        const QString a4 = qEnvironmentVariable("ZVO_TEST_A4_PPD", QStringLiteral("zvo-a4.ppd"));
        for (const auto &[name, ppd] : aQueues)
            started = started && server->addQueue(name, ppd == QLatin1String("zvo-a4.ppd") ? a4 : ppd);
        started = started && server->setDefault(aDefault);
        if (!started)
            reason = server->error();
        server->exportEnvironment();
        report::ppInstallPrintingSystem();
        report::ppFreePrinters();
    }

    static void StopServer()
    {
        report::ppFreePrinters();
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(started) << reason.toStdString();
    }

    static inline CupsServer *server = nullptr;
    static inline bool started = false;
    static inline QString reason;
};

} // namespace reporttest
