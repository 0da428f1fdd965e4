#pragma once

#include "app/Application.h"
#include "app/ControlCommands.h"
#include "app/ControlServer.h"
#include "app/DataFolderLock.h"
#include "app/TaskCommands.h"
#include "app/TaskNotices.h"
#include "tests/cli/CliHarness.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelvanto::test
{

// The scheduler of a desktop application or a service, in this process.
class InProcessScheduler
{
public:
    explicit InProcessScheduler(CliHarness& h)
    {
        auto folder = DataFolder::Prepare(h.dataDir());
        auto lock = DataFolderLock::Acquire(h.dataDir(), "kelvanto");
        EXPECT_TRUE(lock.ok());
        m_lock = std::move(*lock);
        auto app = Application::Open(*folder, h.clock, h.engines());
        EXPECT_TRUE(app.ok()) << app.error();
        m_app = std::move(*app);
        m_commands = std::make_unique<TaskCommands>(*m_app, &m_notices);
        m_handler = std::make_unique<ControlCommands>(*m_app, *m_commands, m_notices, "kelvanto");
        auto server = ControlServer::Start(h.dataDir() / control::kSocketFileName, *m_handler);
        EXPECT_TRUE(server.ok()) << server.error();
        m_server = std::move(*server);
        m_app->Server().StartAll(&m_notices);
    }
    ~InProcessScheduler()
    {
        m_server->Stop();
        m_commands->Shutdown();
    }

private:
    DataFolderLock m_lock;
    TaskNotices m_notices;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<TaskCommands> m_commands;
    std::unique_ptr<ControlCommands> m_handler;
    std::unique_ptr<ControlServer> m_server;
};

} // namespace kelvanto::test
