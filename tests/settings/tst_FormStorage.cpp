// The stored control values: keys, text forms, clamping and the setters'
// side effects.

#include "StoreFixture.h"

#include <QtTest>

using namespace oxeln;
using namespace oxeln::test;

class TestFormStorage : public QObject, protected StoreFixture
{
    Q_OBJECT

private slots:
    void init() { startFixture(); }
    void cleanup() { endFixture(); }

    void firstRunWritesTheTwentyKeysInOrder();
    void itemsAreBoundByNameWithoutRegardToCase();
    void integerValuesAreClampedBySpinBoxes_data();
    void integerValuesAreClampedBySpinBoxes();
    void booleanValues_data();
    void booleanValues();
    void tickedEditeRunsItsHandlerOnceWhileShowing();
    void quotedTitlesComeBackAsTyped_data();
    void quotedTitlesComeBackAsTyped();
    void blankTitleIsStoredEmpty();
    void storedTitleLongerThanTheLimitIsShownWhole();
    void finalFolderSeparator_data();
    void finalFolderSeparator();
    void accentsAreWindows1252Bytes();
    void charactersOutsideWindows1252AreReportedOnce();
    void versionBelowZeroAppliesNothing_data();
    void versionBelowZeroAppliesNothing();
};

void TestFormStorage::firstRunWritesTheTwentyKeysInOrder()
{
    TestWindow *window = open();
    QCOMPARE(normalFrame(window), designedFrame(window));
    QCOMPARE(window->spMaxLigne->value(), 30);
    QCOMPARE(window->ETitre1->text(), DefaultTitle1);
    const QRect frame = window->frameGeometry();
    closeWindow();

    QVERIFY(bytes().startsWith("[TForm1]\r\n"));
    const QStringList expected{
        "FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos(1024x768)", "MinMaxPos",
        "NormPos(1024x768)", "NormPos", "Visible", "spmaxvaleur_Value", "spMaxLigne_Value",
        "spinterligne_Value", "CBCorrige_Checked", "ETitre1_Text", "Etitre2_Text", "Etitre3_Text",
        "spCorriges_Value", "spSujets_Value", "SaveDialog1_InitialDir", "ckbEdite_Checked"};
    QCOMPARE(keys(), expected);

    const QString normPos = edges(frame);
    const QList<std::pair<QString, QString>> values{
        {"FormVersion", "0"}, {"Flags", "0"}, {"ShowCmd", "1"}, {"PixelsPerInch", "96"},
        {"MinMaxPos", "-1,-1,-1,-1"}, {"NormPos(1024x768)", normPos}, {"NormPos", normPos},
        {"Visible", "0"}, {"spmaxvaleur_Value", "100"}, {"spinterligne_Value", "2"},
        {"CBCorrige_Checked", "True"}, {"ETitre1_Text", DefaultTitle1},
        {"Etitre2_Text", QString(166, u'-')}, {"spSujets_Value", "1"},
        {"SaveDialog1_InitialDir", ""}, {"ckbEdite_Checked", "False"}};
    for (const auto &[key, text] : values)
        QCOMPARE(value(key), text);
    QVERIFY(bytes().contains("\r\nSaveDialog1_InitialDir=\r\n"));
    QCOMPARE(m_log, (QStringList{"restored", "FormCloseQuery", "saved"}));
}

void TestFormStorage::itemsAreBoundByNameWithoutRegardToCase()
{
    TestWindow window(m_path, &m_log);
    window.store->setStoredProps({" SPMAXLIGNE . value ", "nothing.Value", ".Value", "spMaxLigne.",
                                  "NoDot", "ckbEdite.Text", "etitre2.TEXT", "savedialog1.initialdir"});
    // Unknown controls and empty halves are dropped; a property the control
    // lacks keeps its item, which then has no key.
    QCOMPARE(window.store->storedProps(),
             (QStringList{" SPMAXLIGNE . value ", "ckbEdite.Text", "etitre2.TEXT",
                          "savedialog1.initialdir"}));
    QCOMPARE(window.store->storedKeys(),
             (QStringList{"spMaxLigne_Value", "Etitre2_Text", "SaveDialog1_InitialDir"}));

    put("[TForm1]\r\nspMaxLigne_Value=7\r\nckbEdite_Text=True\r\n");
    window.show();
    QCOMPARE(window.spMaxLigne->value(), 7);
    QVERIFY(!window.ckbEdite->isChecked());
    window.close();
    // Present keys are replaced in place, new ones follow them; the key of
    // the item without property is left alone.
    QCOMPARE(keys(), (QStringList{"spMaxLigne_Value", "ckbEdite_Text", "FormVersion", "Flags",
                                  "ShowCmd", "PixelsPerInch", "MinMaxPos(1024x768)", "MinMaxPos",
                                  "NormPos(1024x768)", "NormPos", "Visible", "Etitre2_Text",
                                  "SaveDialog1_InitialDir"}));
    QCOMPARE(value("ckbEdite_Text"), "True");
}

void TestFormStorage::integerValuesAreClampedBySpinBoxes_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("lines above the limit") << "spMaxLigne_Value" << QByteArray("99") << 40;
    QTest::newRow("empty max value") << "spmaxvaleur_Value" << QByteArray("") << 10;
    QTest::newRow("letters for copies") << "spSujets_Value" << QByteArray("abc") << 0;
    QTest::newRow("negative interline") << "spinterligne_Value" << QByteArray("-5") << 1;
    QTest::newRow("hexadecimal") << "spCorriges_Value" << QByteArray("$10") << 16;
    QTest::newRow("blanks around") << "spmaxvaleur_Value" << QByteArray("  250  ") << 250;
    QTest::newRow("beyond 32 bits") << "spCorriges_Value" << QByteArray("99999999999") << 0;
    QTest::newRow("quoted") << "spMaxLigne_Value" << QByteArray("\"12\"") << 12;
}

void TestFormStorage::integerValuesAreClampedBySpinBoxes()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);

    put("[TForm1]\r\n" + key.toLatin1() + "=" + stored + "\r\n");
    TestWindow *window = open();
    auto *spin = window->findChild<QSpinBox *>(key.section(u'_', 0, 0));
    QVERIFY(spin);
    QCOMPARE(spin->value(), expected);
    closeWindow();
    QCOMPARE(value(key), QString::number(expected));
}

void TestFormStorage::booleanValues_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("corrige");

    QTest::newRow("False") << QByteArray("False") << false;
    QTest::newRow("false") << QByteArray("false") << false;
    QTest::newRow("FALSE") << QByteArray("FALSE") << false;
    QTest::newRow("1 leaves it") << QByteArray("1") << true;
    QTest::newRow("0 leaves it") << QByteArray("0") << true;
    QTest::newRow("empty leaves it") << QByteArray("") << true;
    QTest::newRow("Faux leaves it") << QByteArray("Faux") << true;
}

void TestFormStorage::booleanValues()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, corrige);

    put("[TForm1]\r\nCBCorrige_Checked=" + stored + "\r\n");
    QCOMPARE(open()->CBCorrige->isChecked(), corrige);
    closeWindow();
    QCOMPARE(value("CBCorrige_Checked"), corrige ? "True" : "False");
}

void TestFormStorage::tickedEditeRunsItsHandlerOnceWhileShowing()
{
    put("[tform1]\r\nckbedite_checked=tRUE\r\n");
    TestWindow window(m_path, &m_log);
    window.show();
    // Before show() returned, so before the window is activated.
    QCOMPARE(m_log, (QStringList{"ckbEditeClick", "restored"}));
    QVERIFY(window.ckbEdite->isChecked());

    put("[TForm1]\r\nckbEdite_Checked=False\r\n");
    m_log.clear();
    TestWindow unticked(m_path, &m_log);
    unticked.show();
    QCOMPARE(m_log, QStringList{"restored"});
}

void TestFormStorage::quotedTitlesComeBackAsTyped_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("double quotes") << "\"Contrôle\"" << QByteArray("ETitre1_Text=\"\"Contr\xF4le\"\"");
    QTest::newRow("single quotes") << "'x'" << QByteArray("ETitre1_Text=\"'x'\"");
    QTest::newRow("one double quote") << "\"" << QByteArray("ETitre1_Text=\"\"\"");
    QTest::newRow("two quoted words") << "\"a\" et \"b\"" << QByteArray("ETitre1_Text=\"\"a\" et \"b\"\"");
    QTest::newRow("different quotes") << "\"x'" << QByteArray("ETitre1_Text=\"x'");
}

void TestFormStorage::quotedTitlesComeBackAsTyped()
{
    QFETCH(QString, title);
    QFETCH(QByteArray, line);

    open()->ETitre1->setText(title);
    closeWindow();
    QVERIFY2(bytes().contains(line + "\r\n"), bytes().constData());
    QCOMPARE(open()->ETitre1->text(), title);
}

void TestFormStorage::blankTitleIsStoredEmpty()
{
    TestWindow *window = open();
    window->Etitre2->setText("   \t ");
    window->Etitre3->setText("  Ligne 3  ");
    closeWindow();
    QVERIFY(bytes().contains("\r\nEtitre2_Text=\r\n"));
    QVERIFY(bytes().contains("\r\nEtitre3_Text=Ligne 3\r\n"));
    window = open();
    QCOMPARE(window->Etitre2->text(), QString());
    QCOMPARE(window->Etitre3->text(), "Ligne 3");
}

void TestFormStorage::storedTitleLongerThanTheLimitIsShownWhole()
{
    const QString title(200, u'x');
    put("[TForm1]\r\nETitre1_Text=" + title.toLatin1() + "\r\n");
    TestWindow *window = open();
    QCOMPARE(window->ETitre1->text(), title);
    // Typing adds nothing beyond it.
    window->ETitre1->end(false);
    QTest::keyClicks(window->ETitre1, "yz");
    QCOMPARE(window->ETitre1->text(), title);
}

void TestFormStorage::finalFolderSeparator_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("applied");

    QTest::newRow("folder with backslash") << "C:\\Cours\\" << "C:\\Cours";
    QTest::newRow("drive root") << "C:\\" << "C:\\";
    QTest::newRow("only one dropped") << "C:\\Cours\\\\" << "C:\\Cours\\";
    QTest::newRow("folder with slash") << "/home/prof/fiches/" << "/home/prof/fiches";
    QTest::newRow("root") << "/" << "/";
    QTest::newRow("none") << "/home/prof" << "/home/prof";
}

void TestFormStorage::finalFolderSeparator()
{
    QFETCH(QString, stored);
    QFETCH(QString, applied);

    put("[TForm1]\r\nSaveDialog1_InitialDir=" + stored.toLatin1() + "\r\n");
    QCOMPARE(open()->SaveDialog1->property("InitialDir").toString(), applied);
    closeWindow();
    QCOMPARE(value("SaveDialog1_InitialDir"), applied);
}

void TestFormStorage::accentsAreWindows1252Bytes()
{
    put("[TForm1]\r\nEtitre3_Text=Compl\xE9ter \x96 \x9C" "uvre \x80\r\n");
    TestWindow *window = open();
    QCOMPARE(window->Etitre3->text(), QStringLiteral("Compléter – œuvre €"));
    window->ETitre1->setText(QStringLiteral("Élève : à côté"));
    closeWindow();
    QVERIFY(bytes().contains("ETitre1_Text=\xC9l\xE8ve : \xE0 c\xF4t\xE9\r\n"));
    QVERIFY(bytes().contains("Etitre3_Text=Compl\xE9ter \x96 \x9C" "uvre \x80\r\n"));
    QCOMPARE(open()->ETitre1->text(), QStringLiteral("Élève : à côté"));
    QVERIFY(errors().isEmpty());
}

void TestFormStorage::charactersOutsideWindows1252AreReportedOnce()
{
    open()->ETitre1->setText(QStringLiteral("x \u2192 y"));
    closeWindow();
    QCOMPARE(value("ETitre1_Text"), "x ? y");
    QCOMPARE(errors(),
             QStringList{QStringLiteral("error: Certains caractères ne peuvent pas être enregistrés "
                                        "dans %1 : ils y sont remplacés par « ? »")
                             .arg(m_path)});
    QCOMPARE(m_log.count("saved"), 1);
}

void TestFormStorage::versionBelowZeroAppliesNothing_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::newRow("-1") << QByteArray("-1");
    QTest::newRow("$FFFFFFFF") << QByteArray("$FFFFFFFF");
}

void TestFormStorage::versionBelowZeroAppliesNothing()
{
    QFETCH(QByteArray, version);

    put("[TForm1]\r\nFormVersion=" + version + "\r\nShowCmd=3\r\nNormPos=10,20,900,600\r\n"
        "spMaxLigne_Value=5\r\nckbEdite_Checked=True\r\n");
    TestWindow *window = open();
    QCOMPARE(normalFrame(window), designedFrame(window));
    QVERIFY(!window->isMaximized());
    QCOMPARE(window->spMaxLigne->value(), 30);
    QVERIFY(!window->ckbEdite->isChecked());
    QVERIFY(!m_log.contains("restored"));
    closeWindow();
    QCOMPARE(value("FormVersion"), "0");
    QCOMPARE(value("spMaxLigne_Value"), "30");
    QCOMPARE(value("ShowCmd"), "1");
}

QTEST_MAIN(TestFormStorage)
#include "tst_FormStorage.moc"
