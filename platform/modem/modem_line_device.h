#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

namespace torvex {

// One AT-command modem on a serial port (or a pseudo-terminal standing in
// for one): raw 8N1 with modem-control lines ignored, held exclusively while
// open. Commands are short synchronous exchanges; once listening, the
// modem's unsolicited result codes arrive as signals on the event loop.
class ModemLineDevice final : public QObject {
    Q_OBJECT
public:
    enum class Reply { Ok, Error, Silent, Gone };

    explicit ModemLineDevice(QString path, QObject* parent = nullptr);
    ~ModemLineDevice() override;

    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }

    // Opens and configures the port; 0 or a lineerr code.
    [[nodiscard]] qint32 open();
    void close();

    // Sends one command line and waits up to timeoutMs for its final result
    // code. The information lines before it (not the echo) go to *lines.
    Reply command(const QByteArray& cmd, int timeoutMs, QStringList* lines = nullptr);

    // What the modem calls itself (AT+GMM, else ATI); empty when it says
    // nothing usable.
    [[nodiscard]] QString identify(int timeoutMs);

    // From now on "RING" result codes arrive as ring(); a port that goes
    // away (unplugged, the far end of a pty closed) gives vanished() once
    // and closes.
    void listen();

Q_SIGNALS:
    void ring();
    void vanished();

private:
    void onReadable();
    bool fillBuffer();  // false when the port is gone
    [[nodiscard]] bool takeLine(QByteArray& line);
    bool writeAll(const QByteArray& data, int timeoutMs);
    void postRing();

    QString path_;
    int fd_ = -1;
    QByteArray buffer_;
    QSocketNotifier* notifier_ = nullptr;  // a child of this device
};

}  // namespace torvex
