// The window placement, the hooks and the failures of the settings store.

#include "StoreFixture.h"

#include <QtTest>

using namespace oxeln;
using namespace oxeln::test;

class TestFormPlacement : public QObject, protected StoreFixture
{
    Q_OBJECT

private slots:
    void init() { startFixture(); }
    void cleanup() { endFixture(); }

    void normalRectangleComesBack();
    void keysOfTheScreenSizeComeFirst();
    void otherDensityDropsThePositionButNotTheState_data();
    void otherDensityDropsThePositionButNotTheState();
    void maximizedRestart();
    void minimizedRestart_data();
    void minimizedRestart();
    void rectangleWithoutWidthIsIgnored_data();
    void rectangleWithoutWidthIsIgnored();
    void missingWordsKeepTheCurrentEdges();
    void storedFrameComesUpOnTheScreen_data();
    void storedFrameComesUpOnTheScreen();
    void smallRectangleIsRaisedToTheMinimumSize();
    void sectionAndKeysInAnotherCase();
    void handEditedFileKeepsItsOtherLines();
    void unwritableFileIsReportedTwice_data();
    void unwritableFileIsReportedTwice();
    void failedKeyEndsTheSaveAndDestructionTriesAgain();
    void fileUnwritableAtCloseMovesToTheUserFile_data();
    void fileUnwritableAtCloseMovesToTheUserFile();
    void closeQueryComesFirstAndCanStopTheSave();
    void restoreRunsOnlyAtTheFirstShowing();
    void inactiveStoreReadsAndWritesNothing();
};

void TestFormPlacement::normalRectangleComesBack()
{
    TestWindow *window = open();
    window->resize(770, 450);
    window->move(20, 40);
    const QRect frame = window->frameGeometry();
    QCOMPARE(frame.topLeft(), QPoint(20, 40));
    closeWindow();
    QCOMPARE(value("NormPos"), edges(frame));
    QCOMPARE(value("NormPos(1024x768)"), edges(frame));
    window = open();
    QCOMPARE(window->frameGeometry(), frame);
    QCOMPARE(window->size(), QSize(770, 450));
}

void TestFormPlacement::keysOfTheScreenSizeComeFirst()
{
    put("[TForm1]\r\nPixelsPerInch=96\r\nNormPos(1024x768)=10,20,770,440\r\nNormPos=15,25,775,445\r\n");

    // Another screen size: the plain keys.
    TestWindow *window = open({QSize(1280, 1024), 96});
    QCOMPARE(window->frameGeometry(), fromEdges(15, 25, 775, 445));
    window->move(16, 26);
    closeWindow();
    QCOMPARE(value("NormPos(1024x768)"), "10,20,770,440");
    QCOMPARE(value("NormPos(1280x1024)"), "16,26,776,446");
    QCOMPARE(value("NormPos"), "16,26,776,446");
    QVERIFY(keys().contains("MinMaxPos(1280x1024)"));

    // The screen size of the first pair: its own keys.
    QCOMPARE(open(Screen1024)->frameGeometry(), fromEdges(10, 20, 770, 440));
}

void TestFormPlacement::otherDensityDropsThePositionButNotTheState_data()
{
    QTest::addColumn<int>("showCmd");
    QTest::newRow("normal") << 1;
    QTest::newRow("maximized") << 3;
}

void TestFormPlacement::otherDensityDropsThePositionButNotTheState()
{
    QFETCH(int, showCmd);

    put("[TForm1]\r\nShowCmd=" + QByteArray::number(showCmd)
        + "\r\nPixelsPerInch=96\r\nNormPos=10,20,770,440\r\nspMaxLigne_Value=12\r\n");
    TestWindow *window = open({QSize(1024, 768), 120});
    QCOMPARE(window->isMaximized(), showCmd == 3);
    QCOMPARE(normalFrame(window), designedFrame(window));
    QCOMPARE(window->spMaxLigne->value(), 12);
    closeWindow();
    QCOMPARE(value("PixelsPerInch"), "120");
}

void TestFormPlacement::maximizedRestart()
{
    TestWindow *window = open();
    window->move(30, 50);
    const QRect normal = window->frameGeometry();
    window->showMaximized();
    QTRY_VERIFY(window->isMaximized());
    const QPoint maximizedAt = window->frameGeometry().topLeft();
    closeWindow();
    QCOMPARE(value("ShowCmd"), "3");
    QCOMPARE(value("Flags"), "0");
    QCOMPARE(value("NormPos"), edges(normal));
    QCOMPARE(value("MinMaxPos"), QStringLiteral("-1,-1,%1,%2").arg(maximizedAt.x()).arg(maximizedAt.y()));

    window = open();
    QVERIFY(window->isMaximized());
    window->showNormal();
    QTRY_COMPARE(window->frameGeometry(), normal);
}

void TestFormPlacement::minimizedRestart_data()
{
    QTest::addColumn<int>("flags");
    QTest::newRow("from normal") << 0;
    QTest::newRow("from maximized") << 2;
}

void TestFormPlacement::minimizedRestart()
{
    QFETCH(int, flags);

    put("[TForm1]\r\nFlags=" + QByteArray::number(flags)
        + "\r\nShowCmd=2\r\nPixelsPerInch=96\r\nNormPos=40,50,800,470\r\n");
    TestWindow *window = open();
    // Shown first, minimized right after.
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    QTRY_VERIFY(window->isMinimized());
    QCOMPARE(window->isMaximized(), flags == 2);
    QCOMPARE(normalFrame(window), fromEdges(40, 50, 800, 470));
    closeWindow();
    QCOMPARE(value("ShowCmd"), "2");
    QCOMPARE(value("Flags"), QString::number(flags));
    QCOMPARE(value("NormPos"), "40,50,800,470");
}

void TestFormPlacement::rectangleWithoutWidthIsIgnored_data()
{
    QTest::addColumn<QByteArray>("normPos");
    QTest::newRow("right on left") << QByteArray("100,100,100,500");
    QTest::newRow("right before left") << QByteArray("300,100,50,500");
    QTest::newRow("huge numbers") << QByteArray("2147483647,0,-2147483648,10");
}

void TestFormPlacement::rectangleWithoutWidthIsIgnored()
{
    QFETCH(QByteArray, normPos);

    put("[TForm1]\r\nShowCmd=1\r\nPixelsPerInch=96\r\nNormPos=" + normPos + "\r\n");
    TestWindow *window = open();
    QCOMPARE(normalFrame(window), designedFrame(window));
}

void TestFormPlacement::missingWordsKeepTheCurrentEdges()
{
    put("[TForm1]\r\nNormPos=10,60\r\n");
    TestWindow *window = open();
    const QRect designed = designedFrame(window);
    QCOMPARE(window->frameGeometry(), QRect(QPoint(10, 60), designed.bottomRight()));

    put("[TForm1]\r\nNormPos=x, 60,, 790 ,abc\r\n");
    window = open();
    QCOMPARE(window->frameGeometry(), QRect(QPoint(designed.left(), 60), QPoint(789, designed.bottom())));
}

void TestFormPlacement::storedFrameComesUpOnTheScreen_data()
{
    QTest::addColumn<QByteArray>("normPos");
    QTest::addColumn<QRect>("frame"); // on an 800 x 800 screen
    QTest::newRow("huge size") << QByteArray("0,0,16777215,16777215") << QRect(0, 0, 800, 800);
    QTest::newRow("beyond the bottom right") << QByteArray("2000,1500,2800,2000") << QRect(0, 300, 800, 500);
    QTest::newRow("above the top left") << QByteArray("-300,-200,500,300") << QRect(0, 0, 800, 500);
    QTest::newRow("wider, partly off") << QByteArray("-100,700,1100,1200") << QRect(0, 300, 800, 500);
}

void TestFormPlacement::storedFrameComesUpOnTheScreen()
{
    QFETCH(QByteArray, normPos);
    QFETCH(QRect, frame);

    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    put("[TForm1]\r\nPixelsPerInch=96\r\nNormPos=" + normPos + "\r\n");
    TestWindow *window = open();
    QCOMPARE(window->frameGeometry(), frame);
    // Nothing is written back before the close, which saves where the window is.
    QCOMPARE(value("NormPos"), QString::fromLatin1(normPos));
    closeWindow();
    QCOMPARE(value("NormPos"), edges(frame));
}

void TestFormPlacement::smallRectangleIsRaisedToTheMinimumSize()
{
    // The top-left corner stays where stored.
    put("[TForm1]\r\nPixelsPerInch=96\r\nNormPos=30,40,330,540\r\n");
    TestWindow *window = open();
    QCOMPARE(window->frameGeometry().topLeft(), QPoint(30, 40));
    QCOMPARE(window->width(), 740);
    QCOMPARE(window->frameGeometry().height(), 500);

    put("[TForm1]\r\nNormPos=30,40,800,100\r\n");
    window = open();
    QCOMPARE(window->frameGeometry().topLeft(), QPoint(30, 40));
    QCOMPARE(window->frameGeometry().width(), 770);
    QCOMPARE(window->height(), 400);
}

void TestFormPlacement::sectionAndKeysInAnotherCase()
{
    put("[tform1]\r\nnormpos=30,40,800,480\r\npixelsperinch=96\r\nSHOWCMD=3\r\nSPMAXLIGNE_VALUE=12\r\n");
    TestWindow *window = open();
    QVERIFY(window->isMaximized());
    QCOMPARE(normalFrame(window), fromEdges(30, 40, 800, 480));
    QCOMPARE(window->spMaxLigne->value(), 12);
    window->spMaxLigne->setValue(13);
    window->showNormal();
    QTRY_VERIFY(!window->isMaximized());
    closeWindow();

    const QByteArray saved = bytes();
    QCOMPARE(saved.count('['), 1);
    QVERIFY(saved.startsWith("[tform1]\r\nnormpos=30,40,800,480\r\npixelsperinch=96\r\nSHOWCMD=1\r\n"
                             "SPMAXLIGNE_VALUE=13\r\nFormVersion=0\r\n"));
    QCOMPARE(keys().size(), 20);
}

void TestFormPlacement::handEditedFileKeepsItsOtherLines()
{
    const QByteArray before = "; Réglages d'Oxeln, retouchés à la main\n"
                              "[Avant]\nA=1\n\n"
                              "[TForm1]\n; la ligne suivante est gardée\nspSujets_Value = 3 \n\n"
                              "# fin de section\n"
                              "[Après]\nB=2 ; pas un commentaire\n";
    put(before);
    QCOMPARE(open()->spSujets->value(), 3);
    closeWindow();

    const QByteArray after = bytes();
    QVERIFY(!after.contains('\r'));
    QVERIFY(after.startsWith("; Réglages d'Oxeln, retouchés à la main\n[Avant]\nA=1\n\n"
                             "[TForm1]\n; la ligne suivante est gardée\nspSujets_Value =3\n"
                             "FormVersion=0\n"));
    QVERIFY(after.endsWith("ckbEdite_Checked=False\n\n# fin de section\n"
                           "[Après]\nB=2 ; pas un commentaire\n"));
    QCOMPARE(keys().size(), 20);
}

void TestFormPlacement::unwritableFileIsReportedTwice_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("write-protected file") << false;
    QTest::newRow("folder in its place") << true;
}

void TestFormPlacement::unwritableFileIsReportedTwice()
{
    QFETCH(bool, folder);

    const QByteArray before = "[TForm1]\r\nspMaxLigne_Value=12\r\n";
    if (folder) {
        QVERIFY(QDir().mkdir(m_path));
    } else {
        put(before);
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }

    TestWindow *window = open();
    QCOMPARE(window->spMaxLigne->value(), folder ? 30 : 12);
    window->spMaxLigne->setValue(20);
    window->close();
    QVERIFY(!window->isVisible());
    const QString message = QStringLiteral("error: Impossible d'écrire dans ") + m_path;
    QCOMPARE(errors(), QStringList{message});
    m_window.reset();
    QCOMPARE(errors(), (QStringList{message, message}));
    QVERIFY(!m_log.contains("saved"));
    if (folder)
        QVERIFY(QFileInfo(m_path).isDir());
    else
        QCOMPARE(bytes(), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{"oxeln.ini"});
}

void TestFormPlacement::failedKeyEndsTheSaveAndDestructionTriesAgain()
{
    TestWindow *window = open();
    window->spCorriges->setValue(5);
    window->spSujets->setValue(7);
    window->store->failAtKey = "spSujets_Value";
    window->close();
    QCOMPARE(errors(), QStringList{"error: Impossible d'écrire dans test"});
    QVERIFY(!window->store->isSaved());
    QCOMPARE(value("spCorriges_Value"), "5");
    QCOMPARE(value("spSujets_Value"), "<absent>");
    QCOMPARE(value("Visible"), "0");

    // The medium is writable again when the window is destroyed.
    window->store->failAtKey.clear();
    m_window.reset();
    QCOMPARE(errors().size(), 1);
    QCOMPARE(m_log.count("saved"), 1);
    QCOMPARE(value("spSujets_Value"), "7");
    QCOMPARE(value("Visible"), "1");
    QCOMPARE(keys().size(), 20);
}

void TestFormPlacement::fileUnwritableAtCloseMovesToTheUserFile_data()
{
    QTest::addColumn<bool>("protectAfterStart");
    QTest::newRow("protected between start and close") << true;
    QTest::newRow("still writable") << false;
}

void TestFormPlacement::fileUnwritableAtCloseMovesToTheUserFile()
{
    QFETCH(bool, protectAfterStart);
    const QString userFile = m_dir->filePath("config/oxeln/oxeln.ini");
    const QByteArray before = "[TForm1]\r\nspMaxLigne_Value=12\r\n[Projection]\r\nZoom=2\r\n";
    put(before);

    TestWindow *window = open();
    window->store->setFallbackIniFileName(userFile);
    QCOMPARE(window->spMaxLigne->value(), 12);
    window->spMaxLigne->setValue(20);
    if (protectAfterStart)
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    closeWindow();

    QCOMPARE(errors(), QStringList());
    QCOMPARE(m_log.count("saved"), 1);
    const QString kept = protectAfterStart ? userFile : m_path;
    QCOMPARE(TIniFile(kept).readString("TForm1", "spMaxLigne_Value", ""), "20");
    QCOMPARE(TIniFile(kept).readString("Projection", "Zoom", ""), "2");
    QCOMPARE(TIniFile(kept).readString("TForm1", "Visible", ""), "0");
    if (protectAfterStart)
        QCOMPARE(bytes(), before);
    else
        QVERIFY(!QFile::exists(userFile));
}

void TestFormPlacement::closeQueryComesFirstAndCanStopTheSave()
{
    TestWindow *window = open();
    window->allowClose = false;
    window->close();
    QVERIFY(window->isVisible());
    QVERIFY(!QFile::exists(m_path));

    window->allowClose = true;
    window->close();
    QCOMPARE(m_log, (QStringList{"restored", "FormCloseQuery", "FormCloseQuery", "saved"}));
    QVERIFY(QFile::exists(m_path));
}

void TestFormPlacement::restoreRunsOnlyAtTheFirstShowing()
{
    TestWindow window(m_path, &m_log);
    window.store->SaveSettings();
    QVERIFY2(!QFile::exists(m_path), "no save before a restore");

    put("[TForm1]\r\nspMaxLigne_Value=5\r\n");
    window.show();
    QCOMPARE(window.spMaxLigne->value(), 5);
    window.spMaxLigne->setValue(7);
    window.hide();
    put("[TForm1]\r\nspMaxLigne_Value=9\r\n");
    window.show();
    QCOMPARE(window.spMaxLigne->value(), 7);
    QCOMPARE(m_log.count("restored"), 1);
}

void TestFormPlacement::inactiveStoreReadsAndWritesNothing()
{
    const QByteArray before = "[TForm1]\r\nspMaxLigne_Value=5\r\n";
    put(before);
    {
        TestWindow window(m_path, &m_log);
        window.store->setActive(false);
        window.show();
        QCOMPARE(window.spMaxLigne->value(), 30);
        window.close();
    }
    QCOMPARE(bytes(), before);
    QVERIFY(m_log == QStringList{"FormCloseQuery"});
}

QTEST_MAIN(TestFormPlacement)
#include "tst_FormPlacement.moc"
