// Both windows under a stacking window manager (openbox, IceWM) on a real X
// server, driven with real input: what the manager shows of them, read from
// the server. The grid window stays above the main window after a click
// into the main window and while a dialog opened from the grid window is
// up; the manager offers a close box only on the grid window; nothing
// demands attention at start; the manager's requests to maximise the grid
// window or make it full screen leave it as it was. Runs on Qt's xcb
// platform under tests/desktops/under-window-manager.sh.

#include "app/Startup.h"
#include "support/CurrentFolder.h"
#include "support/RealInput.h"
#include "support/X11Properties.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <optional>

using namespace masume::test;

namespace {

// The grid window's controls that another window covers on the screen.
QStringList coveredGridControls()
{
    QStringList names;
    for (QWidget *w : grid()->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || !w->isVisible())
            continue;
        QWidget *there = QApplication::widgetAt(w->mapToGlobal(w->rect().center()));
        if (!there || (there != w && !w->isAncestorOf(there)))
            names << w->objectName();
    }
    return names;
}

bool gridAboveCanvas()
{
    const int g = stackingIndex(*grid()), c = stackingIndex(*canvas());
    return g >= 0 && c >= 0 && g > c;
}

} // namespace

class WindowManagerTest : public QObject
{
    Q_OBJECT

    std::optional<TemporaryCurrentFolder> folder;
    std::optional<RealInput> input;

    RealInput &in() { return *input; }

    // Stacked as a tool window is, and nothing of it hidden.
    void verifyGridOnTop()
    {
        QTRY_VERIFY(gridAboveCanvas());
        QTRY_COMPARE(coveredGridControls(), QStringList());
    }

private slots:
    void initTestCase()
    {
        if (!realInputAvailable())
            QSKIP("needs Qt's xcb platform and xdotool");
        if (!windowManagerRuns())
            QSKIP("needs a window manager (tests/desktops/under-window-manager.sh starts one)");
    }

    void init()
    {
        folder.emplace();
        input.emplace();
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(canvas()));
        QVERIFY(QTest::qWaitForWindowExposed(grid()));
        QTRY_VERIFY(stackingIndex(*grid()) >= 0 && stackingIndex(*canvas()) >= 0);
    }

    void cleanup()
    {
        input.reset();
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        destroyWindows();
        folder.reset();
    }

    // The main window has the keyboard, the grid window lies on top, and
    // neither asks for attention (a flashing task bar entry).
    void atStart()
    {
        QTRY_COMPARE(QApplication::activeWindow(), canvas());
        verifyGridOnTop();
        QTest::qWait(500); // a manager flags a window after it was mapped
        for (QWidget *w : {canvas(), grid()}) {
            QVERIFY2(!atomProperty(*w, "_NET_WM_STATE").contains("_NET_WM_STATE_DEMANDS_ATTENTION"),
                     qPrintable(w->objectName()));
            const QList<uint32_t> hints = cardinalProperty(*w, "WM_HINTS");
            QVERIFY(hints.isEmpty() || !(hints[0] & 256)); // XUrgencyHint
        }
    }

    // What the manager offers on the grid window's title bar: the close box,
    // no minimise, no maximise; the main window keeps its buttons.
    void titleBarButtons()
    {
        QTRY_VERIFY(!atomProperty(*grid(), "_NET_WM_ALLOWED_ACTIONS").isEmpty());
        const QStringList actions = atomProperty(*grid(), "_NET_WM_ALLOWED_ACTIONS");
        QVERIFY2(actions.contains("_NET_WM_ACTION_CLOSE"), qPrintable(actions.join(' ')));
        for (const char *offered : {"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                                    "_NET_WM_ACTION_MAXIMIZE_VERT"})
            QVERIFY2(!actions.contains(offered), qPrintable(actions.join(' ')));
        const QStringList mainActions = atomProperty(*canvas(), "_NET_WM_ALLOWED_ACTIONS");
        QVERIFY(mainActions.contains("_NET_WM_ACTION_MINIMIZE"));
        QVERIFY(mainActions.contains("_NET_WM_ACTION_MAXIMIZE_VERT"));

        // The Motif hints, for the managers that read them: flags,
        // functions, decorations.
        const QList<uint32_t> motif = cardinalProperty(*grid(), "_MOTIF_WM_HINTS");
        QVERIFY(motif.size() >= 3);
        enum { Functions = 1, Decorations = 2, All = 1 };
        enum { FunctionMinimise = 8, FunctionMaximise = 16, FunctionClose = 32 };
        enum { DecorationMinimise = 32, DecorationMaximise = 64 };
        QVERIFY((motif[0] & Functions) && (motif[0] & Decorations));
        QVERIFY(!(motif[1] & All) && !(motif[2] & All));
        QVERIFY(motif[1] & FunctionClose);
        QCOMPARE(motif[1] & (FunctionMinimise | FunctionMaximise), 0u);
        QCOMPARE(motif[2] & (DecorationMinimise | DecorationMaximise), 0u);
    }

    // A real click into the main window activates it, and the manager
    // raises it: the grid window stays above it.
    void clickIntoTheMainWindow()
    {
        in().click(grid()->findChild<QWidget *>("E_SizeV"));
        QTRY_COMPARE(QApplication::activeWindow(), grid());
        in().click(canvas()->findChild<QWidget *>("ScrollBox1"));
        QTRY_COMPARE(QApplication::activeWindow(), canvas());
        QTest::qWait(300);
        verifyGridOnTop();
    }

    // Ctrl+Alt+A from the grid window opens the save dialog, a dialog of the
    // main window: while it is up the grid window stays above the main
    // window, and afterwards the keyboard is back in the grid window.
    void saveDialogFromTheGridWindow()
    {
        auto *box = grid()->findChild<QLineEdit *>("E_SizeV");
        in().click(box);
        QTRY_COMPARE(QApplication::focusWidget(), box);
        bool aboveWhileUp = false;
        QStringList coveredWhileUp;
        ModalAnswer answer([&](QWidget *dialog) {
            aboveWhileUp = QTest::qWaitFor(gridAboveCanvas);
            coveredWhileUp = coveredGridControls();
            for (QWidget *w : dialog->findChildren<QWidget *>()) // the dialog may cover it
                coveredWhileUp.removeAll(w->objectName());
            in().key(QStringLiteral("Escape"));
        });
        in().key(QStringLiteral("ctrl+alt+a"));
        QTRY_VERIFY(answer.done());
        QVERIFY(answer.closedByAnswer());
        QVERIFY(aboveWhileUp);
        QVERIFY(waitForNoModal());
        QTRY_COMPARE(QApplication::activeWindow(), grid());
        QCOMPARE(QApplication::focusWidget(), box);
        verifyGridOnTop();
    }

    void requestsOfTheWindowManager_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("maximised") << QByteArray("_NET_WM_STATE_MAXIMIZED_VERT")
                                   << QByteArray("_NET_WM_STATE_MAXIMIZED_HORZ");
        QTest::newRow("full screen") << QByteArray("_NET_WM_STATE_FULLSCREEN") << QByteArray();
    }

    // Asked by a pager or task bar to maximise the grid window or make it
    // full screen, the manager may try: the window keeps its place and size
    // and leaves the state again; the program goes on.
    void requestsOfTheWindowManager()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QTRY_VERIFY(frameOnServer(*grid()).isValid());
        QTest::qWait(300);
        const QRect before = frameOnServer(*grid());
        const QSize size = grid()->size();
        requestStates(*grid(), first.constData(), second.isEmpty() ? nullptr : second.constData());
        QTest::qWait(1000);
        QTRY_COMPARE(frameOnServer(*grid()), before);
        const QStringList states = atomProperty(*grid(), "_NET_WM_STATE");
        QVERIFY2(!states.contains(QString::fromLatin1(first)), qPrintable(states.join(' ')));
        QCOMPARE(grid()->size(), size);
        QVERIFY(!(grid()->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)));
        verifyGridOnTop();
    }
};

QTEST_MAIN(WindowManagerTest)
#include "test_window_manager.moc"
