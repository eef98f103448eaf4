#pragma once

#include "printutil/decode/inbox_message.h"
#include "printutil/run/run_context.h"
#include "tests/support/test_env.h"

#include <vector>

namespace torvex::test {

// A run context over the test's program folder, fetching gLogin at
// 127.0.0.1 on the given port.
inline RunContext popContext(const TestEnv& env, quint16 port, const QString& login, const QString& password)
{
    qputenv("TORVEX_POP3_PORT", QByteArray::number(port));
    RunContext ctx;
    ctx.programFolder = env.home();
    ctx.folders = runFoldersIn(env.home());
    prepareRunFolders(ctx.folders, false);
    ctx.gLogin = login;
    ctx.gPOPServer = QStringLiteral("127.0.0.1");
    ctx.info.Password = password;
    ctx.info.Torvex_Addr = login + QStringLiteral("@torvex.example");
    ctx.info.gTimoutMinutes = 2;
    return ctx;
}

// Keeps every message the decoder stores.
class CollectingInbox final : public InboxWriter {
public:
    bool addToInbox(const NewInboxMessage& message) override
    {
        messages.push_back(message);
        return true;
    }
    std::vector<NewInboxMessage> messages;
};

}  // namespace torvex::test
