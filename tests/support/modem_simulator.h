#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>
#include <thread>

namespace torvex::test {

// An AT-command modem on a pseudo-terminal: the program under test opens
// slavePath() (a link to the pty, gone when unplugged) as its serial port.
// It answers commands the way a Hayes-style modem does (echo on until ATE0,
// "OK" result codes, a model name for AT+GMM) and sends "RING" when told to.
// It runs on its own thread, since the line layer waits for its answers
// without running the event loop.
class ModemSimulator final {
public:
    enum class Mode { Answer, Silent, Error };

    explicit ModemSimulator(QString model = QStringLiteral("TORVEX Sim 56K"));
    ~ModemSimulator();
    ModemSimulator(const ModemSimulator&) = delete;
    ModemSimulator& operator=(const ModemSimulator&) = delete;

    [[nodiscard]] QString slavePath() const { return slavePath_; }

    // Answer (the default), say nothing, or answer every command but "AT"
    // with ERROR.
    void setMode(Mode mode) { mode_ = mode; }
    // AT+GMM answers ERROR, so only ATI names the modem.
    void setGmmUnsupported(bool on) { gmmUnsupported_ = on; }

    void ring() { send("\r\nRING\r\n"); }
    // The modem goes away: the pty's master side is closed.
    void unplug();

    [[nodiscard]] QStringList commands() const;

private:
    void run();
    void answer(const QByteArray& command);
    void send(const QByteArray& text);

    QString model_;
    int master_ = -1;
    int slave_ = -1;  // held so the pty outlives the program's closes
    int wake_[2] = {-1, -1};
    QTemporaryDir folder_;
    QString slavePath_;
    std::atomic<Mode> mode_{Mode::Answer};
    std::atomic<bool> gmmUnsupported_{false};
    std::atomic<bool> stop_{false};
    bool echo_ = true;
    QByteArray input_;
    mutable std::mutex mutex_;  // guards commands_ and writes to the master
    QStringList commands_;
    std::thread thread_;
};

}  // namespace torvex::test
