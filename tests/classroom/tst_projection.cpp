// The projection window driven by its keys, a click and a clock of the
// test's own: order, bounds, countdown and pause, the correction pass, the
// choice of questions, the layout for the screen, its settings.
#include "ChainDrills.h"
#include "Expression.h"
#include "FakeHost.h"
#include "PairedDrills.h"
#include "ProjectionWindow.h"
#include "QuestionText.h"
#include "ScreenChoice.h"
#include "Worksheet.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QImage>

#include <memory>
#include <set>
#include <tuple>

using oxeln::ProjectionRound;
using oxeln::ProjectionWindow;
using oxeln::QuestionChoice;
using Phase = oxeln::ProjectionRound::Phase;

class TestProjection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keysAndClicksWalkTheRound();
    void countdownMovesOnAndPauseHoldsIt();
    void secondsStayWithinBounds();
    void correctionShowsEveryAnswerPageByPage();
    void correctionIsARegularGridInReadingOrder_data();
    void correctionIsARegularGridInReadingOrder();
    void choiceCyclesThroughOwnDraws();
    void questionsFillTheScreenAndFollowItsSize();
    void settingsKeptInTheirOwnSection();
    void screenChoice_data();
    void screenChoice();
    void opensOnTheProjector();

private:
    // A worksheet of lines paired lines (4 questions each) then chains S2.
    oxeln::QuestionList worksheet(oxeln::Drill drill, int lines, int chains = 0);
    void press(int key) { QTest::keyClick(m_window.get(), static_cast<Qt::Key>(key)); }
    void tickAt(std::int64_t ms)
    {
        m_now = ms;
        m_window->tick();
    }
    int place() const { return m_window->round().position() + 1; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProjectionWindow> m_window;
    std::int64_t m_now = 0;
};

oxeln::QuestionList TestProjection::worksheet(oxeln::Drill drill, int lines, int chains)
{
    oxeln::Worksheet ws;
    ws.random().seed(4242);
    oxeln::test::FakeHost host;
    host.lines = lines;
    ws.runDrill(drill, host);
    if (chains > 0) {
        host.lines = chains;
        ws.runDrill(oxeln::Drill::S2, host);
    }
    return ws.questions();
}

void TestProjection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_now = 0;
    m_window = std::make_unique<ProjectionWindow>(nullptr);
    m_window->setClock([this] { return m_now; });
    m_window->seedDraws(7);
    m_window->setSettingsFile(m_dir->filePath(QStringLiteral("oxeln.ini")));
}

void TestProjection::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestProjection::keysAndClicksWalkTheRound()
{
    m_window->start(worksheet(oxeln::Drill::Plus, 1)); // four questions
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_window->isFullScreen());
    QCOMPARE(m_window->round().count(), 4);
    QCOMPARE(place(), 1);

    press(Qt::Key_Left); // nothing before the first
    QCOMPARE(place(), 1);
    press(Qt::Key_Space);
    press(Qt::Key_Right);
    QCOMPARE(place(), 3);
    press(Qt::Key_Left);
    QCOMPARE(place(), 2);
    QTest::mouseClick(m_window.get(), Qt::LeftButton);
    QCOMPARE(place(), 3);
    press(Qt::Key_Home);
    QCOMPARE(place(), 1);
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Space);
    QCOMPARE(m_window->round().phase(), Phase::Correction);
    press(Qt::Key_Space); // the one correction page stays
    QCOMPARE(m_window->round().phase(), Phase::Correction);
    press(Qt::Key_Left); // back to the last question
    QCOMPARE(m_window->round().phase(), Phase::Question);
    QCOMPARE(place(), 4);

    press(Qt::Key_Escape);
    QVERIFY(!m_window->isVisible());
}

void TestProjection::countdownMovesOnAndPauseHoldsIt()
{
    m_window->start(worksheet(oxeln::Drill::Mult, 1));
    tickAt(19'999);
    QCOMPARE(place(), 1);
    tickAt(20'000);
    QCOMPARE(place(), 2); // and its countdown starts afresh
    QCOMPARE(m_window->round().remainingMs(m_now), 20'000);

    tickAt(25'000);
    press(Qt::Key_P);
    QVERIFY(m_window->round().paused());
    tickAt(500'000); // a timer firing while paused changes nothing
    QCOMPARE(place(), 2);
    QCOMPARE(m_window->round().remainingMs(m_now), 15'000);
    press(Qt::Key_Space); // moving while paused: the next one waits too
    QCOMPARE(place(), 3);
    tickAt(900'000);
    QCOMPARE(place(), 3);
    press(Qt::Key_P);
    tickAt(919'999);
    QCOMPARE(place(), 3);
    tickAt(920'000);
    QCOMPARE(place(), 4);

    tickAt(940'000); // the last one's time out brings the correction
    QCOMPARE(m_window->round().phase(), Phase::Correction);
    tickAt(2'000'000);
    QCOMPARE(m_window->round().phase(), Phase::Correction);
}

void TestProjection::secondsStayWithinBounds()
{
    m_window->start(worksheet(oxeln::Drill::Plus, 1));
    QCOMPARE(m_window->round().seconds(), 20);
    tickAt(12'000);
    press(Qt::Key_Plus);
    QCOMPARE(m_window->round().seconds(), 25);
    QCOMPARE(m_window->notice(), QStringLiteral("25 secondes par question"));
    QCOMPARE(m_window->round().remainingMs(m_now), 25'000);
    tickAt(13'499);
    QVERIFY(!m_window->notice().isEmpty());
    tickAt(13'500); // shown briefly
    QVERIFY(m_window->notice().isEmpty());

    for (int i = 0; i < 30; ++i)
        press(Qt::Key_Plus);
    QCOMPARE(m_window->round().seconds(), 120);
    for (int i = 0; i < 30; ++i)
        press(Qt::Key_Minus);
    QCOMPARE(m_window->round().seconds(), 5);
    QCOMPARE(m_window->notice(), QStringLiteral("5 secondes par question"));
}

void TestProjection::correctionShowsEveryAnswerPageByPage()
{
    const oxeln::QuestionList questions = worksheet(oxeln::Drill::Divide, 30, 10);
    m_window->start(questions);
    m_window->resize(1920, 1080);
    for (std::size_t i = 0; i < questions.size(); ++i)
        press(Qt::Key_Right);
    QCOMPARE(m_window->round().phase(), Phase::Correction);
    const int pages = m_window->round().correctionPages();
    QVERIFY2(pages > 1 && pages < 40, qPrintable(QString::number(pages)));

    std::vector<std::size_t> seen;
    for (int page = 0; page < pages; ++page) {
        QCOMPARE(m_window->round().correctionPage(), page);
        const std::vector<std::size_t> items = m_window->correctionPageItems();
        QVERIFY2(items.size() >= 4, qPrintable(QStringLiteral("page %1: %2").arg(page).arg(items.size()))); // several per screen
        seen.insert(seen.end(), items.begin(), items.end());
        press(Qt::Key_Space);
    }
    QCOMPARE(m_window->round().correctionPage(), pages - 1);
    std::vector<std::size_t> all(questions.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    QCOMPARE(seen, all);

    // Each item of the page shown is drawn with its answer highlighted.
    const QImage shot = m_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const QRectF &box : m_window->correctionPageCells()) {
        int yellow = 0;
        const QRect cell = box.toAlignedRect() & shot.rect();
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                yellow += shot.pixel(x, y) == qRgb(255, 255, 0);
        QVERIFY2(yellow > cell.height() * 10, qPrintable(QString::number(yellow)));
    }

    // A smaller screen needs more pages; the page shown stays within them.
    m_window->resize(800, 600);
    QVERIFY(m_window->round().correctionPages() > pages);
    press(Qt::Key_Left);
    QCOMPARE(m_window->round().correctionPage(), pages - 2);
}

void TestProjection::correctionIsARegularGridInReadingOrder_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("1280x1024") << QSize(1280, 1024);
    QTest::newRow("1920x1080") << QSize(1920, 1080);
    QTest::newRow("1024x768") << QSize(1024, 768);
}

// Items of very different widths in one round: small additions, the widest
// divisions, chains. Every page is a grid of equal cells filled row by row,
// no item runs into its neighbour, and the short ones share their rows.
void TestProjection::correctionIsARegularGridInReadingOrder()
{
    QFETCH(QSize, screen);
    oxeln::Worksheet ws;
    ws.random().seed(99);
    oxeln::test::FakeHost host;
    for (const auto &[drill, maxValue, lines] :
         {std::tuple{oxeln::Drill::Plus, 10, 9}, {oxeln::Drill::Divide, 999, 7}, {oxeln::Drill::Plus, 100, 5},
          {oxeln::Drill::S2, 999, 6}, {oxeln::Drill::Power, 999, 5}}) {
        host.maxV = maxValue;
        host.lines = lines;
        ws.runDrill(drill, host);
    }
    const oxeln::QuestionList &questions = ws.questions();
    m_window->start(questions);
    m_window->resize(screen);
    for (std::size_t i = 0; i < questions.size(); ++i)
        press(Qt::Key_Right);
    const QRect content = ProjectionWindow::frameFor(screen).content;

    std::size_t seen = 0;
    bool pairsShareRows = false;
    for (int page = 0; page < m_window->round().correctionPages(); ++page, press(Qt::Key_Space)) {
        const std::vector<QRectF> cells = m_window->correctionPageCells();
        const std::vector<std::size_t> items = m_window->correctionPageItems();
        QCOMPARE(cells.size(), items.size());
        QVERIFY(!cells.empty());
        std::size_t columns = 1;
        while (columns < cells.size() && cells[columns].top() == cells[0].top())
            ++columns;
        const QString where = QStringLiteral("page %1, %2 columns").arg(page + 1).arg(columns);
        const qreal pitch = columns > 1 ? cells[1].left() - cells[0].left() : content.width();
        const qreal rowPitch = cells.size() > columns ? cells[columns].top() - cells[0].top() : content.height();
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const QRectF &cell = cells[k];
            const QString at = where + QStringLiteral(", item %1 at %2,%3 %4x%5")
                                           .arg(k).arg(cell.left()).arg(cell.top()).arg(cell.width()).arg(cell.height());
            QVERIFY2(qAbs(cell.left() - (cells[0].left() + pitch * qreal(k % columns))) < 0.5, qPrintable(at));
            QVERIFY2(qAbs(cell.top() - (cells[0].top() + rowPitch * qreal(k / columns))) < 0.5, qPrintable(at));
            QVERIFY2(cell.width() < pitch && cell.height() < rowPitch, qPrintable(at));
            QVERIFY2(QRectF(content).adjusted(-0.5, -0.5, 0.5, 0.5).contains(cell), qPrintable(at));
        }
        for (std::size_t k = 0; k < items.size(); ++k)
            QCOMPARE(items[k], seen + k); // in the worksheet's order
        seen += items.size();
        if (columns >= 2 && questions[items[0]].drill == oxeln::Drill::Plus)
            pairsShareRows = true;
    }
    QCOMPARE(seen, questions.size());
    QVERIFY(pairsShareRows);
}

void TestProjection::choiceCyclesThroughOwnDraws()
{
    const oxeln::QuestionList questions = worksheet(oxeln::Drill::Minus, 6); // 24 questions
    m_window->start(questions);
    press(Qt::Key_Space);
    press(Qt::Key_Q);
    QCOMPARE(m_window->settings().choice, QuestionChoice::Ten);
    QCOMPARE(m_window->notice(), QStringLiteral("Choix : 10 au hasard"));
    QCOMPARE(place(), 1);
    const std::vector<std::size_t> ten = m_window->round().order();
    QCOMPARE(ten.size(), 10u);
    QCOMPARE(std::set<std::size_t>(ten.begin(), ten.end()).size(), 10u); // no repetition
    QVERIFY(*std::max_element(ten.begin(), ten.end()) < questions.size());

    press(Qt::Key_Q);
    QCOMPARE(m_window->notice(), QStringLiteral("Choix : 20 au hasard"));
    const std::vector<std::size_t> twenty = m_window->round().order();
    QCOMPARE(std::set<std::size_t>(twenty.begin(), twenty.end()).size(), 20u);
    QVERIFY(!std::is_sorted(twenty.begin(), twenty.end()));

    press(Qt::Key_Q);
    QCOMPARE(m_window->notice(), QStringLiteral("Choix : toutes les questions"));
    QCOMPARE(m_window->round().count(), 24);
    QVERIFY(std::is_sorted(m_window->round().order().begin(), m_window->round().order().end()));

    // Fewer than asked: all of them, drawn in turn.
    m_window->start(worksheet(oxeln::Drill::Minus, 2));
    press(Qt::Key_Q);
    QCOMPARE(m_window->round().count(), 8);
}

void TestProjection::questionsFillTheScreenAndFollowItsSize()
{
    // The widest pair and the widest chain a worksheet can hold.
    oxeln::QuestionList questions;
    oxeln::AppendPairedQuestions(oxeln::Drill::Divide, {{{-507982, -499}, {1, 2}, {1, 2}, {1, 2}}}, 1, questions);
    oxeln::ChainLine chain;
    chain.terms = {-499, -499, -499, -499, -499, -499, -499, -499};
    chain.minus = {false, true, true, true, true, true, true, true};
    questions.push_back(oxeln::ChainQuestion(oxeln::Drill::S2, chain, 2));
    m_window->start(questions);
    m_window->resize(1920, 1080);

    const int pair = m_window->questionPixelSize();
    QVERIFY2(pair >= 108, qPrintable(QString::number(pair)));
    QCOMPARE(m_window->questionLines(), 1);
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Space);
    QVERIFY2(m_window->questionPixelSize() >= 54, qPrintable(QString::number(m_window->questionPixelSize())));
    QCOMPARE(m_window->questionLines(), 2); // wrapped rather than shrunk

    m_window->resize(1024, 768);
    QVERIFY(m_window->questionPixelSize() >= 768 / 20);
    QVERIFY(m_window->questionPixelSize() < 54);

    // The widest order of operations, square brackets and all, wraps as a
    // chain does: on two lines, as large as they allow.
    oxeln::Expression widest;
    widest.count = 5;
    widest.numbers = {-499, -499, -499, -499, -499};
    widest.ops = {'x', '-', 'x', '+'};
    widest.groupCount = 2;
    widest.groups[0] = {2, 3, false};
    widest.groups[1] = {1, 4, true};
    oxeln::QuestionList expressions;
    expressions.push_back(oxeln::ExpressionQuestion(oxeln::Drill::P2, widest, 1, oxeln::Writing::Parentheses));
    m_window->start(expressions);
    m_window->resize(1920, 1080);
    QCOMPARE(m_window->questionLines(), 2);
    QVERIFY2(m_window->questionPixelSize() >= 54, qPrintable(QString::number(m_window->questionPixelSize())));
}

void TestProjection::settingsKeptInTheirOwnSection()
{
    const QString path = m_dir->filePath(QStringLiteral("oxeln.ini"));
    const QByteArray main = "[TForm1]\r\nFormVersion=0\r\nspMaxLigne_Value=12\r\nEtitre3_Text=Compl\xE9ter\r\n";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(main);
    }
    m_window->start(worksheet(oxeln::Drill::Plus, 3));
    press(Qt::Key_Plus);
    press(Qt::Key_Plus);
    press(Qt::Key_N);
    press(Qt::Key_Q);
    QVERIFY(m_window->settings().dark);
    m_window->close();

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith(main), bytes.constData()); // not a byte of the window's keys
    QVERIFY(bytes.contains("[Projection]"));
    QVERIFY(bytes.contains("Secondes=30"));
    QVERIFY(bytes.contains("Sombre=True"));
    QVERIFY(bytes.contains("Choix=10"));

    ProjectionWindow again(nullptr);
    again.setSettingsFile(path);
    again.start(worksheet(oxeln::Drill::Plus, 3));
    QCOMPARE(again.round().seconds(), 30);
    QCOMPARE(again.round().count(), 10);
    QVERIFY(again.settings().dark);
}

void TestProjection::screenChoice_data()
{
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<int>("primary");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("chosen");
    const QRect laptop(0, 0, 1366, 768);
    const QRect projector(1366, 0, 1920, 1080);
    QTest::newRow("one screen") << QList<QRect>{laptop} << 0 << 0 << 0;
    QTest::newRow("projector beside") << QList<QRect>{laptop, projector} << 0 << 0 << 1;
    QTest::newRow("window on the second") << QList<QRect>{laptop, projector} << 0 << 1 << 0;
    QTest::newRow("window unknown") << QList<QRect>{projector, laptop} << 1 << -1 << 0;
    QTest::newRow("secondary before primary")
        << QList<QRect>{laptop, projector, QRect(3286, 0, 1280, 1024)} << 0 << 1 << 2;
    QTest::newRow("mirror only") << QList<QRect>{laptop, laptop} << 0 << 0 << 0;
    QTest::newRow("none") << QList<QRect>{} << -1 << -1 << -1;
}

void TestProjection::screenChoice()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(int, primary);
    QFETCH(int, window);
    QFETCH(int, chosen);
    QCOMPARE(oxeln::ChooseProjectionScreen(screens, primary, window), chosen);
}

// Run with two screens (see the CMake file); skipped with one.
void TestProjection::opensOnTheProjector()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        QSKIP("one screen only");
    QWidget main;
    main.setGeometry(100, 100, 740, 420);
    main.show();
    QCOMPARE(main.screen(), screens[0]);
    ProjectionWindow projection(&main);
    projection.setSettingsFile(m_dir->filePath(QStringLiteral("oxeln.ini")));
    projection.start(worksheet(oxeln::Drill::Power, 2));
    QVERIFY(QTest::qWaitForWindowExposed(&projection));
    QCOMPARE(projection.screen(), screens[1]);
    QCOMPARE(projection.geometry(), screens[1]->geometry());
    const int onProjector = projection.questionPixelSize();
    QVERIFY(onProjector >= screens[1]->geometry().height() / 10);

    // Moved to the other screen: laid out for it at once.
    projection.windowHandle()->setScreen(screens[0]);
    projection.setGeometry(screens[0]->geometry());
    QVERIFY(projection.questionPixelSize() < onProjector);
    QVERIFY(projection.questionPixelSize() >= screens[0]->geometry().height() / 10);
}

QTEST_MAIN(TestProjection)
#include "tst_projection.moc"
