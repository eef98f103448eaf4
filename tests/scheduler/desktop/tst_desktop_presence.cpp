// The scheduler on the desktop with the real widgets under a private X
// server (Xvfb) and a private session bus (dbus-run-session): the tray icon
// in a tray of our own, its menu, the window hidden to the tray, one
// notification per retrieval at a notification service of our own, and the
// fax log over what a real print run filed, reprinting through vxprintu;
// a screenshot of each of the nine pages, and a layout check: every control
// gets the room its text needs and no two controls overlap.
#include "common/telvane_info.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "scheduler/desktop/desktop_presence.h"
#include "scheduler/core/scheduler_core.h"
#include "scheduler/window/desktop_hooks.h"
#include "scheduler/window/main_form.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "tests/support/notification_server.h"
#include "tests/support/test_env.h"
#include "tests/support/tray_host.h"
#include "tests/support/xvfb_server.h"
#include "tools/sample_inbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QtTest>

#include <xcb/xcb.h>

#include <memory>

using namespace torvex;
using namespace torvex::tools;

namespace {

// The window manager's close: WM_DELETE_WINDOW sent to the window.
void closeAsTheWindowManager(QWidget& window)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window.winId());
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    xcb_disconnect(connection);
}

// The desktop's viewer, as "Open" asks it.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toLocalFile(); }
};

// Where the pictures go; CI keeps this folder.
QString screenshotFolder()
{
    const QString dir = qEnvironmentVariable("TORVEX_SCREENSHOT_DIR");
    return dir.isEmpty() ? QDir(test::binDir()).absoluteFilePath(QStringLiteral("../screenshots")) : dir;
}

bool isControl(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w)
           || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w)
           || qobject_cast<const QListWidget*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

// The visible controls of a page and of the rest of the window (button
// row, status bar), in window coordinates.
QList<QPair<QWidget*, QRect>> visibleControls(QWidget& window, QWidget& page)
{
    const QList<QFrame*> pages = window.findChildren<QFrame*>(QStringLiteral("Frame17"));
    const auto onSomePage = [&pages](const QWidget* w) {
        return std::any_of(pages.begin(), pages.end(),
                           [w](const QFrame* p) { return p->isAncestorOf(w); });
    };
    QList<QPair<QWidget*, QRect>> out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisible())
            continue;
        QWidget* parent = w->parentWidget();
        if (qobject_cast<QAbstractButton*>(parent) || qobject_cast<QComboBox*>(parent)
            || qobject_cast<QTabBar*>(parent))
            continue;  // parts of a compound control
        if (onSomePage(w) && !page.isAncestorOf(w))
            continue;
        out.append({w, QRect(w->mapTo(&window, QPoint(0, 0)), w->size())});
    }
    return out;
}

}  // namespace

class TestDesktopPresence : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(tray_.start() && notifications_.start(), "no session bus: run the test under dbus-run-session");
    }
    // Through the real window: the icon is in the desktop's tray, its
    // tooltip tells the next retrieval, and its menu drives the window's
    // buttons. The tray's "Get TORVEXes NOW" runs the print utility over the
    // profile's Inbox; the tray shows the run, then idle, and the run's faxes
    // are told once. The window's log button has a name and a key; the log
    // lists what was filed, reprints the chosen fax onto the PDF printer,
    // and every control has a name and a key.
    void aRetrievalFromTheWindowIsFollowedByTheTray()
    {
        qputenv("TORVEX_TIME_SCALE", "50");  // the launcher's 10-second polls of 200 ms
        const auto unscaled = qScopeGuard([] { qunsetenv("TORVEX_TIME_SCALE"); });
        test::WindowFixture f(
            test::registeredSettings({{"Printer_Type", "TORVEX PDF"}, {"Use_Profile", "y"}, {"general_timout", "19"}}));
        f.printers = {QStringLiteral("TORVEX PDF")};
        f.linkRealUtility();
        fillInbox(f.env);
        QVERIFY(f.load());
        f.form().show();
        const std::unique_ptr<DesktopPresence> presence = presentOnDesktop(f.form());
        TrayIcon* tray = presence->tray();
        QVERIFY2(tray, "the tray of our own was not seen");
        QTRY_COMPARE(tray_.items().size() > 0, true);
        QVERIFY(tray->icon().isVisible());
        QVERIFY2(tray->icon().toolTip().contains(QStringLiteral("(in 60 minutes)")), qPrintable(tray->icon().toolTip()));
        QStringList texts;
        for (QAction* action : tray->menu().actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("&Get TORVEXes NOW"), QStringLiteral("&Show window"),
                                     QStringLiteral("Fax &Log..."), QString(), QStringLiteral("E&xit")}));
        f.form().setEnabled(Control::Command4, false);
        presence->refresh();
        QVERIFY(!tray->menu().actions()[0]->isEnabled());
        f.form().setEnabled(Control::Command4, true);
        presence->refresh();

        QList<TrayActivity> seen;
        const auto record = [&seen, tray] { seen << tray->state().activity; };
        connect(&f.core(), &SchedulerCore::retrievalStarted, this, record);
        connect(&f.core(), &SchedulerCore::retrievalEnded, this, record);

        const qsizetype told = notifications_.received().size();
        tray->menu().actions()[0]->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 120000);
        QVERIFY2(seen == (QList<TrayActivity>{TrayActivity::Retrieving, TrayActivity::Idle}),
                 qPrintable(tray->icon().toolTip()));
        QTRY_COMPARE(notifications_.received().size(), told + 1);
        const test::NotificationServer::Received notice = notifications_.received().back();
        QCOMPARE(notice.summary, QStringLiteral("1 TORVEX could not be printed: filed as Unprintable"));
        QCOMPARE(notice.body, QStringLiteral("1 TORVEX printed\n1 regular fax printed"));
        QTest::qWait(300);
        QCOMPARE(notifications_.received().size(), told + 1);

        // The log from the window: a named button with its key.
        auto* logButton = f.form().findChild<QPushButton*>(QStringLiteral("FaxLogButton"));
        QVERIFY(logButton && !logButton->accessibleName().isEmpty() && (logButton->focusPolicy() & Qt::TabFocus));
        const QList<QShortcut*> keys = f.form().findChildren<QShortcut*>();
        const auto ctrlL = std::ranges::find_if(keys, [](QShortcut* key) { return key->key() == QKeySequence(Qt::CTRL | Qt::Key_L); });
        QVERIFY(ctrlL != keys.end());
        Q_EMIT (*ctrlL)->activated();
        QTRY_VERIFY(presence->faxLog() && presence->faxLog()->isVisible());
        FaxLogDialog* log = presence->faxLog();
        QCOMPARE(log->model().rowCount(), 3);
        for (QWidget* control : log->findChildren<QWidget*>()) {
            if (!(control->focusPolicy() & Qt::TabFocus))
                continue;
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
            if (auto* button = qobject_cast<QAbstractButton*>(control))
                QVERIFY2(button->text().contains(QLatin1Char('&')), qPrintable(button->text()));
        }
        QCOMPARE(log->focusWidget(), &log->table());

        int row = 0;
        while (row < 3 && !log->model().index(row, FaxLogModel::Subject).data().toString().startsWith(QStringLiteral("three page fax")))
            ++row;
        QVERIFY(row < 3);
        QCOMPARE(log->model().index(row, FaxLogModel::Pages).data().toString(), QStringLiteral("3"));
        log->table().selectRow(row);
        const QDir printoutDir(f.env.path(QStringLiteral("Printouts")));
        const qsizetype before = printoutDir.entryList({QStringLiteral("*.pdf")}, QDir::Files).size();
        QSignalSpy done(log, &FaxLogDialog::reprintDone);
        log->findChild<QAbstractButton*>(QStringLiteral("FaxLogReprint"))->click();
        const QStringList printed = log->model().log().printouts(row);
        QCOMPARE(printed.size(), 2);  // its header page and its fax
        QVERIFY(done.wait(120000));
        QCOMPARE(log->result().text(), QStringLiteral("The fax was printed again."));
        QCOMPARE(printoutDir.entryList({QStringLiteral("*.pdf")}, QDir::Files).size(), before + 2);
        QCOMPARE(log->model().rowCount(), 3);

        // "Open" shows the fax's printouts, the reprint's too.
        UrlRecorder viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        log->table().selectRow(row);
        log->findChild<QAbstractButton*>(QStringLiteral("FaxLogOpen"))->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        const QStringList all = log->model().log().printouts(row);
        QCOMPARE(all.size(), 4);
        QCOMPARE(all.mid(0, 2), printed);
        QCOMPARE(viewer.opened, all);

        // A run that ends in an error (the printer cannot write its printouts):
        // the tray shows "!" and the desktop is told the run's own error text.
        fillInbox(f.env);
        const QString printouts = f.env.path(QStringLiteral("Printouts"));
        QVERIFY(QDir().rename(printouts, printouts + QStringLiteral(".old")));
        QFile blocker(printouts);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        seen.clear();
        tray->menu().actions()[0]->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 60000);
        QCOMPARE(seen.back(), TrayActivity::Error);
        const QString error = f.core().state().lastError;
        QVERIFY(!error.isEmpty());
        QTRY_COMPARE(notifications_.received().size(), told + 2);
        QCOMPARE(notifications_.received().back().summary, error);
        QVERIFY2(tray->icon().toolTip().contains(QStringLiteral("! ") + error), qPrintable(tray->icon().toolTip()));

        // Closed by the window manager, the window goes to the tray and
        // comes back from its menu.
        // A client message may reach the window before Qt listens for its
        // protocols; a window manager asks again, and so does the test.
        bool hidden = false;
        for (int attempt = 0; attempt < 5 && !hidden; ++attempt) {
            closeAsTheWindowManager(f.form());
            hidden = QTest::qWaitFor([&f] { return !f.form().QWidget::isVisible(); }, 2000);
        }
        QVERIFY(hidden);
        tray->menu().actions()[1]->trigger();
        QTRY_VERIFY(f.form().QWidget::isVisible());
        tray->menu().actions()[4]->trigger();
        QCOMPARE(f.endCalls, 1);
    }

    void everyPageIsReadable()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 qPrintable(QGuiApplication::platformName()));
        test::WindowFixture f;
        writeTorvexKey(QStringLiteral("forward1"), QStringLiteral("1,,2,"));
        writeTorvexKey(QStringLiteral("forward2"), QStringLiteral("fwd@example.org,,4930123,"));
        QVERIFY(f.load());
        MainForm& form = f.form();
        form.adjustSize();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QDir().mkpath(screenshotFolder());

        for (int n = 1; n <= 9; ++n) {
            form.switchFrame(n);
            QTest::qWait(150);
            QFrame* page = form.controls().Frame17[n - 1];
            QVERIFY(page->isVisible());

            const QString key = form.controls().TabStrip1->tabData(n - 1).toString();
            const QString file = screenshotFolder()
                                 + QStringLiteral("/page%1-%2.png").arg(n).arg(key.toLower());
            const QPixmap shot = form.screen()->grabWindow(form.winId());
            QVERIFY(!shot.isNull());
            QVERIFY(shot.save(file));
            QVERIFY(QFileInfo(file).size() > 0);

            const auto controls = visibleControls(form, *page);
            QVERIFY(controls.size() > 5);
            for (const auto& [w, rect] : controls) {
                const QSize need = w->minimumSizeHint();
                if (qobject_cast<QAbstractButton*>(w) || (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->wordWrap()))
                    QVERIFY2(w->width() >= need.width() && w->height() >= need.height(),
                             qPrintable(QStringLiteral("page %1: %2 '%3' is cut").arg(n).arg(w->objectName(),
                                 w->property("text").toString())));
                QVERIFY2(QRect(QPoint(0, 0), form.size()).contains(rect),
                         qPrintable(QStringLiteral("page %1: %2 outside the window").arg(n).arg(w->objectName())));
            }
            for (int i = 0; i < controls.size(); ++i)
                for (int j = i + 1; j < controls.size(); ++j) {
                    const auto& [a, ra] = controls[i];
                    const auto& [b, rb] = controls[j];
                    if (a->isAncestorOf(b) || b->isAncestorOf(a))
                        continue;
                    QVERIFY2(!ra.intersects(rb),
                             qPrintable(QStringLiteral("page %1: '%2' overlaps '%3'")
                                            .arg(n)
                                            .arg(a->property("text").toString() + a->objectName(),
                                                 b->property("text").toString() + b->objectName())));
                }
        }
    }

private:
    // Three faxes in the Inbox of the fixture's profile: one of three pages,
    // one of a type that is not printed, and a regular fax.
    static void fillInbox(test::TestEnv& env)
    {
        const QString address = QStringLiteral("4420712345@torvex.net");
        const QString work = env.path(QStringLiteral("work"));
        const QByteArray fax = test::sampleFaxTiff(work + QStringLiteral("/fax.tif"), 3);
        QVERIFY(!fax.isEmpty());
        MaildirMailboxSystem mailbox(env.home());
        QVERIFY(mailbox.SessionLogIn(QStringLiteral("Torvex")));
        const auto sample = [&address](const QString& subject, std::vector<SampleTorvex::Attachment> files) {
            SampleTorvex s;
            s.to = address;
            s.subject = subject;
            s.body = QStringLiteral("Text of ") + subject + QStringLiteral("\r\n");
            s.attachments = std::move(files);
            return s;
        };
        SampleTorvex regular = sample(QStringLiteral("regular fax"), {{QStringLiteral("fax.tif;"), fax}});
        regular.messageClass = QStringLiteral("IPM.Note.Fax");
        for (const SampleTorvex& s : {sample(QStringLiteral("three page fax"), {{QStringLiteral("fax.tif;"), fax}}),
                                      sample(QStringLiteral("rejected type"), {{QStringLiteral("letter.doc;"), "DOC"}}), regular})
            QVERIFY(addSampleTorvex(mailbox, s, work));
    }

    test::TrayHost tray_;
    test::NotificationServer notifications_;
};

// A private X server for the test, then the application on it.
int main(int argc, char* argv[])
{
    return torvex::test::execUnderXvfb<TestDesktopPresence>(argc, argv);
}

#include "tst_desktop_presence.moc"
