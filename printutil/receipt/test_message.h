#pragma once

#include "printutil/run/run_context.h"
#include "printutil/transport/mail_transport.h"
#include "printutil/transport/smtp_client_context.h"

#include <QDateTime>
#include <QString>

namespace torvex {

// The courtesy line every run builds: it names the service and ends with two
// line ends.
[[nodiscard]] QString courtesyLine();

// The test TORVEX to recipient (gSMTPRecipAddr), ending with the SMTP
// end-of-data line. It has no "From:" and no MIME header lines.
[[nodiscard]] QString ComposeTestTorvex(const QString& recipient, const QString& torvexAddr,
                                        const QDateTime& now);

// "/2": sends the test TORVEX to the user's own address through the server
// list and records in test_server which server took it.
class TestTorvexSender final : public TestMessageSender {
public:
    TestTorvexSender(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation);

    void SendTestTorvex() override;

private:
    RunContext& ctx_;
    SmtpContext& smtp_;
    SmtpConversation& conversation_;
};

}  // namespace torvex
