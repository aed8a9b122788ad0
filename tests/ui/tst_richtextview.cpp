#include "AppError.h"
#include "RichTextView.h"
#include "RtfWriter.h"
#include "RtfSamples.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using oxeln::RichTextView;

namespace {

QByteArray rtf(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}" + body + "}";
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRichTextView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsReadOnlyEmptyAndInTheViewFont();
    void lineCount_data();
    void lineCount();
    void lineCountOfALongDocumentDoesNoLayout();
    void contentTextAndLength_data();
    void contentTextAndLength();
    void placeCaretCountsOneBreakAsOnePosition();
    void setRtfTextReplacesEverythingAndFiresOnce();
    void setRtfTextIgnoresItsOwnPlainText();
    void setRtfTextKeepsTheViewSettings();
    void nextDrillAppendsToTheShownDocument();
    void editedContentIsReplacedWhole();
    void streamTextsAppendOnlyWhileTheStreamGoesOn();
    void clearContentFiresOnceEvenReadOnly();
    void userEditsFireOnChange();
    void handEditsAreToldFromTheProgramsOwnWrites();
    void readOnlyRefusesTypingButKeepsKeyboardSelection();
    void tabKey_data();
    void tabKey();
    void wrapsAtTheWidgetWidth();
    void worksheetColumnsAlignOnScreen();
    void writeToFileChoosesTheFormatByExtension_data();
    void writeToFileChoosesTheFormatByExtension();
    void writeToFileRoundTripsThroughAnotherView();
    void writeToFileReportsCreationErrors();
    void failedWriteKeepsTheEarlierFile();

private:
    std::unique_ptr<QWidget> m_window;
    RichTextView *m_view = nullptr;
    QLineEdit *m_next = nullptr;
};

void TestRichTextView::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_view = new RichTextView;
    m_next = new QLineEdit;
    layout->addWidget(m_view);
    layout->addWidget(m_next);
    m_window->resize(640, 420);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestRichTextView::cleanup()
{
    m_window.reset();
    m_view = nullptr;
    m_next = nullptr;
}

void TestRichTextView::startsReadOnlyEmptyAndInTheViewFont()
{
    QVERIFY(m_view->ReadOnly());
    QVERIFY(!m_view->WantTabs());
    QCOMPARE(m_view->LineCount(), 0);
    QCOMPARE(m_view->ContentText(), QString());
    QCOMPARE(m_view->ContentLength(), 0);
    const QFont font = m_view->document()->defaultFont();
    QCOMPARE(font.family(), QStringLiteral("Courier New"));
    QCOMPARE(font.pixelSize(), 11);
    QCOMPARE(m_view->document()->documentMargin(), 0.0);
    QCOMPARE(m_view->document()->defaultTextOption().tabStopDistance(), 2880 * m_view->logicalDpiX() / 1440.0);
    QCOMPARE(m_view->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QVERIFY(!m_view->verticalScrollBar()->isVisible());

    // The window gives each view its initial line of blanks.
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    m_view->SetPlainContent(QStringLiteral("    "));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_view->LineCount(), 1);
    QCOMPARE(m_view->ContentText(), QStringLiteral("    "));
}

void TestRichTextView::lineCount_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("one line") << QByteArray("a") << 1;
    QTest::newRow("line and empty last") << QByteArray("a\\par ") << 1;
    QTest::newRow("two lines") << QByteArray("a\\par b") << 2;
    QTest::newRow("only a break") << QByteArray("\\par ") << 1;
    QTest::newRow("line break at the end") << QByteArray("a\\line ") << 1;
    QTest::newRow("line break inside") << QByteArray("a\\line b") << 2;
    QTest::newRow("wrapped paragraph") << QByteArray("\\fs24 " + QByteArray("mot ").repeated(100)) << -1;
    QTest::newRow("three paragraphs") << QByteArray("a\\par b\\par c") << 3;
    QTest::newRow("three, last empty") << QByteArray("a\\par b\\par ") << 2;
}

void TestRichTextView::lineCount()
{
    QFETCH(QByteArray, body);
    QFETCH(int, lines);
    m_view->SetRtfText(rtf(body));
    if (lines < 0) {
        // A paragraph wider than the view counts each wrapped line.
        const QTextLayout *layout = m_view->document()->firstBlock().layout();
        QVERIFY(layout->lineCount() > 2);
        QCOMPARE(m_view->LineCount(), layout->lineCount());
    } else {
        QCOMPARE(m_view->LineCount(), lines);
    }
}

void TestRichTextView::lineCountOfALongDocumentDoesNoLayout()
{
    const QByteArray sheet = oxeln::samples::markupToRtf(oxeln::samples::additions(400).answer);
    m_view->SetRtfText(sheet);
    QCOMPARE(m_view->LineCount(), m_view->document()->blockCount() - 1);
    // The view lays out what it shows; the rest waits for idle time.
    QCOMPARE(m_view->document()->lastBlock().layout()->lineCount(), 0);
}

void TestRichTextView::contentTextAndLength_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("paragraphs") << QByteArray("a\\par b\\par ") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("line break") << QByteArray("a\\line b") << QStringLiteral("a\r\nb");
    QTest::newRow("no-break space kept") << QByteArray("a\\~b") << QStringLiteral("a\u00a0b");
    QTest::newRow("tab and accents") << QByteArray("\\'e9\\tab \\'80") << QStringLiteral("é\t€");
}

void TestRichTextView::contentTextAndLength()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    m_view->SetRtfText(rtf(body));
    QCOMPARE(m_view->ContentText(), text);
    QCOMPARE(m_view->ContentLength(), text.size());
    QCOMPARE(m_view->HasContent(), !text.isEmpty());
}

void TestRichTextView::placeCaretCountsOneBreakAsOnePosition()
{
    m_view->SetRtfText(rtf("ab\\par cd\\par ef"));
    QCOMPARE(m_view->ContentLength(), 10);
    m_view->PlaceCaret(4);
    QCOMPARE(m_view->textCursor().position(), 4);
    QCOMPARE(m_view->textCursor().block().text(), QStringLiteral("cd"));
    QCOMPARE(m_view->textCursor().positionInBlock(), 1);
    QVERIFY(!m_view->textCursor().hasSelection());
    // The caret pinning passes the text length, which counts breaks twice.
    m_view->PlaceCaret(m_view->ContentLength());
    QCOMPARE(m_view->textCursor().position(), 8);
    m_view->PlaceCaret(-3);
    QCOMPARE(m_view->textCursor().position(), 0);

    // Scrolled into view: the caret of a long document's end is visible.
    m_view->SetRtfText(oxeln::samples::markupToRtf(oxeln::samples::additions(60).subject));
    m_view->PlaceCaret(m_view->ContentLength());
    QVERIFY(m_view->verticalScrollBar()->value() > 0);
    QVERIFY(m_view->viewport()->rect().contains(m_view->cursorRect().center()));
}

void TestRichTextView::setRtfTextReplacesEverythingAndFiresOnce()
{
    m_view->SetReadOnly(false);
    m_view->setFocus();
    QTest::keyClicks(m_view, "typed");
    m_view->SetReadOnly(true);
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    m_view->SetRtfText(rtf("\\b new\\b0  text"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_view->ContentText(), QStringLiteral("new text"));
    QVERIFY(m_view->ReadOnly());

    // Not RTF: the text itself, lines at CR LF.
    m_view->SetRtfText("x\r\ny");
    QCOMPARE(spy.count(), 2);
    QCOMPARE(m_view->ContentText(), QStringLiteral("x\r\ny"));
}

void TestRichTextView::setRtfTextIgnoresItsOwnPlainText()
{
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    m_view->SetRtfText(QByteArray());
    QCOMPARE(spy.count(), 0); // empty view, empty text: nothing to do

    m_view->SetPlainContent(QStringLiteral("ab\r\ncd"));
    QCOMPARE(spy.count(), 1);
    m_view->SetRtfText("ab\r\ncd");
    QCOMPARE(spy.count(), 1);
    m_view->SetRtfText("ab\r\ncx");
    QCOMPARE(spy.count(), 2);
    m_view->SetRtfText("{\\rtf1 ab\\par cx}");
    QCOMPARE(spy.count(), 3);
    QCOMPARE(m_view->ContentText(), QStringLiteral("ab\r\ncx"));
}

void TestRichTextView::setRtfTextKeepsTheViewSettings()
{
    m_view->SetRtfText(oxeln::samples::markupToRtf(oxeln::samples::additions(2).subject));
    const QTextDocument *doc = m_view->document();
    QCOMPARE(doc->documentMargin(), 0.0);
    QCOMPARE(doc->defaultFont().family(), QStringLiteral("Courier New"));
    QCOMPARE(doc->defaultTextOption().wrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    QCOMPARE(doc->defaultTextOption().tabStopDistance(), 192.0);
    QCOMPARE(doc->parent(), m_view);
}

void TestRichTextView::nextDrillAppendsToTheShownDocument()
{
    const QByteArray five = oxeln::samples::markupToRtf(oxeln::samples::additions(5).answer);
    const QByteArray ten = oxeln::samples::markupToRtf(oxeln::samples::additions(10).answer);
    m_view->SetRtfText(five);
    const QTextDocument *shown = m_view->document();
    m_view->PlaceCaret(m_view->ContentLength());
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    m_view->SetRtfText(ten);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_view->document(), shown); // appended in place
    QCOMPARE(m_view->textCursor().position(), 0);

    RichTextView fresh;
    fresh.SetRtfText(ten);
    QCOMPARE(m_view->ContentText(), fresh.ContentText());
    QCOMPARE(m_view->document()->blockCount(), fresh.document()->blockCount());
    QCOMPARE(m_view->LineCount(), fresh.LineCount());
    const QTextBlock last = m_view->document()->findBlockByNumber(4 + 3 * 9);
    QCOMPARE(last.text(), fresh.document()->findBlockByNumber(4 + 3 * 9).text());
    QCOMPARE(last.begin().fragment().charFormat(), fresh.document()->findBlockByNumber(4 + 3 * 9).begin().fragment().charFormat());
}

void TestRichTextView::editedContentIsReplacedWhole()
{
    const QByteArray five = oxeln::samples::markupToRtf(oxeln::samples::additions(5).answer);
    const QByteArray ten = oxeln::samples::markupToRtf(oxeln::samples::additions(10).answer);
    m_view->SetRtfText(five);
    m_view->SetReadOnly(false);
    m_view->setFocus();
    m_view->PlaceCaret(0);
    QTest::keyClicks(m_view, "zz");
    m_view->SetRtfText(ten);
    RichTextView fresh;
    fresh.SetRtfText(ten);
    QCOMPARE(m_view->ContentText(), fresh.ContentText());
}

void TestRichTextView::streamTextsAppendOnlyWhileTheStreamGoesOn()
{
    // The drill frame's texts: each begins with the previous one but its "}".
    const auto text = [](int lines) { return oxeln::samples::markupToRtf(oxeln::samples::additions(lines).answer); };
    const auto stable = [](const QByteArray &rtf) { return rtf.size() - 1; };
    const auto sameAsFresh = [this](const QByteArray &rtf) {
        RichTextView fresh;
        fresh.SetRtfText(rtf);
        return m_view->ContentText() == fresh.ContentText()
            && m_view->document()->blockCount() == fresh.document()->blockCount()
            && m_view->ContentLength() == fresh.ContentLength();
    };
    const QByteArray five = text(5);
    const QByteArray ten = text(10);
    const QByteArray twenty = text(20);
    m_view->SetRtfText(five, 7, stable(five));
    QPointer<QTextDocument> shown = m_view->document();
    QVERIFY(m_view->ContentLength() > 0); // counted, and kept until the content changes
    m_view->SetRtfText(ten, 7, stable(ten));
    QCOMPARE(m_view->document(), shown.data()); // appended in place
    QVERIFY(sameAsFresh(ten));

    // Another stream, even one that happens to continue the text: read whole.
    m_view->SetRtfText(twenty, 8, stable(twenty));
    QVERIFY(m_view->document() != shown.data());
    QVERIFY(shown.isNull()); // and the replaced document is freed
    QVERIFY(sameAsFresh(twenty));

    // Edited since: the edits undone, the new end appended in place; all
    // over it: read whole.
    shown = m_view->document();
    m_view->SetReadOnly(false);
    m_view->setFocus();
    m_view->PlaceCaret(0);
    QTest::keyClicks(m_view, "zz");
    QTest::keyClick(m_view, Qt::Key_Delete);
    m_view->textCursor().insertHtml(QStringLiteral("<b style='color:red'>coll\u00e9</b>"));
    const QByteArray thirty = text(30);
    m_view->SetRtfText(thirty, 8, stable(thirty));
    QCOMPARE(m_view->document(), shown.data());
    QVERIFY(sameAsFresh(thirty));
    QCOMPARE(oxeln::RtfWriter::write(m_view->document()), [&] {
        RichTextView fresh;
        fresh.SetRtfText(thirty);
        return oxeln::RtfWriter::write(fresh.document());
    }());
    const QByteArray longer = text(300);
    m_view->SetRtfText(longer, 8, stable(longer));
    m_view->selectAll();
    QTest::keyClick(m_view, Qt::Key_Delete);
    QTest::keyClicks(m_view, "autre");
    const QByteArray longest = text(310);
    m_view->SetRtfText(longest, 8, stable(longest));
    QVERIFY(shown.isNull());
    QVERIFY(sameAsFresh(longest));
}

void TestRichTextView::clearContentFiresOnceEvenReadOnly()
{
    m_view->SetRtfText(rtf("a\\par b"));
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    m_view->ClearContent();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_view->ContentText(), QString());
    QCOMPARE(m_view->LineCount(), 0);
    QVERIFY(m_view->ReadOnly());
}

void TestRichTextView::userEditsFireOnChange()
{
    m_view->SetPlainContent(QStringLiteral("    "));
    m_view->SetReadOnly(false);
    m_view->setFocus();
    m_view->PlaceCaret(4);
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    QTest::keyClicks(m_view, "ab");
    QCOMPARE(spy.count(), 2);
    QTest::keyClick(m_view, Qt::Key_Backspace);
    QCOMPARE(spy.count(), 3);
    QTest::keyClick(m_view, Qt::Key_Return);
    QCOMPARE(spy.count(), 4);
    QCOMPARE(m_view->ContentText(), QStringLiteral("    a\r\n"));
    QCOMPARE(m_view->LineCount(), 1);
}

void TestRichTextView::handEditsAreToldFromTheProgramsOwnWrites()
{
    const auto text = [](int lines) { return oxeln::samples::markupToRtf(oxeln::samples::additions(lines).answer); };
    QVERIFY(!m_view->EditedByHand());
    m_view->SetRtfText(text(5));
    m_view->SetRtfText(text(10)); // appended
    m_view->SetRtfText(text(20), 3, text(20).size() - 1);
    m_view->SetRtfText(text(30), 3, text(30).size() - 1); // a stream appended
    QTemporaryDir dir;
    m_view->WriteToFile(dir.filePath(QStringLiteral("fiche.rtf")));
    m_view->resize(300, 200);
    m_view->PlaceCaret(40);
    QVERIFY(!m_view->EditedByHand());

    m_view->SetReadOnly(false);
    m_view->setFocus();
    QTest::keyClicks(m_view, "zz");
    QVERIFY(m_view->EditedByHand());
    QTest::keyClick(m_view, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!m_view->EditedByHand()); // undone back to what was set
    QTest::keyClick(m_view, Qt::Key_Delete);
    QVERIFY(m_view->EditedByHand());
    m_view->SetRtfText(text(30) + " "); // read whole
    QVERIFY(!m_view->EditedByHand());
    QTest::keyClick(m_view, Qt::Key_Return);
    QVERIFY(m_view->EditedByHand());
    m_view->ClearContent();
    QVERIFY(!m_view->EditedByHand());
    QTest::keyClicks(m_view, "a");
    m_view->SetPlainContent(QStringLiteral("a"));
    QVERIFY(!m_view->EditedByHand());
}

void TestRichTextView::readOnlyRefusesTypingButKeepsKeyboardSelection()
{
    m_view->SetPlainContent(QStringLiteral("abcdef"));
    m_view->setFocus();
    m_view->PlaceCaret(0);
    QSignalSpy spy(m_view, &RichTextView::OnChange);
    QTest::keyClicks(m_view, "xyz");
    QTest::keyClick(m_view, Qt::Key_Delete);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_view->ContentText(), QStringLiteral("abcdef"));
    QTest::keyClick(m_view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(m_view, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("ab"));
}

void TestRichTextView::tabKey_data()
{
    QTest::addColumn<bool>("wantTabs");
    QTest::newRow("tab moves the focus") << false;
    QTest::newRow("tab types a tab") << true;
}

void TestRichTextView::tabKey()
{
    QFETCH(bool, wantTabs);
    m_view->SetPlainContent(QStringLiteral("ab"));
    m_view->SetReadOnly(!wantTabs); // as the editing lock sets them
    m_view->SetWantTabs(wantTabs);
    QCOMPARE(m_view->WantTabs(), wantTabs);
    m_view->setFocus();
    m_view->PlaceCaret(1);
    QTest::keyClick(m_view, Qt::Key_Tab);
    if (wantTabs) {
        QCOMPARE(m_view->ContentText(), QStringLiteral("a\tb"));
        QCOMPARE(QApplication::focusWidget(), m_view);
    } else {
        QCOMPARE(m_view->ContentText(), QStringLiteral("ab"));
        QCOMPARE(QApplication::focusWidget(), m_next);
    }
}

void TestRichTextView::wrapsAtTheWidgetWidth()
{
    m_view->SetRtfText(rtf("\\fs18 " + QByteArray("mot ").repeated(60)));
    const QTextLayout *layout = m_view->document()->firstBlock().layout();
    QVERIFY(layout->lineCount() > 1);
    QVERIFY(layout->boundingRect().width() <= m_view->viewport()->width());
    QVERIFY(!m_view->horizontalScrollBar()->isVisible());
    const int before = layout->lineCount();
    m_window->resize(1200, 420);
    QTRY_VERIFY(m_view->document()->firstBlock().layout()->lineCount() < before);
}

void TestRichTextView::worksheetColumnsAlignOnScreen()
{
    const oxeln::samples::Worksheet sheet = oxeln::samples::additions(3);
    auto *answer = new RichTextView;
    m_window->layout()->addWidget(answer);
    m_view->SetRtfText(oxeln::samples::markupToRtf(sheet.subject));
    answer->SetRtfText(oxeln::samples::markupToRtf(sheet.answer));
    QTRY_VERIFY(answer->isVisible() && answer->width() == m_view->width());
    const auto columnX = [](RichTextView *view, int column) {
        QTextCursor c(view->document());
        c.setPosition(view->document()->findBlockByNumber(4).position() + 3 + 26 * column);
        return view->cursorRect(c).x();
    };
    for (int column = 0; column < 4; ++column)
        QCOMPARE(columnX(m_view, column), columnX(answer, column));
    QVERIFY(columnX(m_view, 1) > columnX(m_view, 0));
}

void TestRichTextView::writeToFileChoosesTheFormatByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("rtf") << QStringLiteral("fiche.rtf") << false;
    QTest::newRow("txt") << QStringLiteral("fiche.txt") << true;
    QTest::newRow("TXT any case") << QStringLiteral("fiche.TxT") << true;
    QTest::newRow("other extension") << QStringLiteral("fiche.doc") << false;
    QTest::newRow("dot in the folder only") << QStringLiteral("cours.txt/fiche") << false;
}

void TestRichTextView::writeToFileChoosesTheFormatByExtension()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("cours.txt")));
    const QString path = dir.filePath(name);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier content that is longer than the new one, to be replaced whole");
    old.close();

    m_view->SetRtfText(rtf("Pr\\'e9nom \\u937?\\par \\b x"));
    m_view->WriteToFile(path);
    const QByteArray bytes = readAll(path);
    if (plain) {
        QCOMPARE(bytes, QByteArray("Pr\xe9nom ?\r\nx"));
    } else {
        QVERIFY(bytes.startsWith("{\\rtf1"));
        QVERIFY(bytes.contains("Pr\\'e9nom \\u937?"));
    }
}

void TestRichTextView::writeToFileRoundTripsThroughAnotherView()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ent_Rel042_917_Cor.rtf"));
    const QByteArray sheet = oxeln::samples::markupToRtf(oxeln::samples::additions(5).answer);
    m_view->SetRtfText(sheet);
    m_view->WriteToFile(path);

    RichTextView other;
    other.SetRtfText(readAll(path));
    QCOMPARE(other.ContentText(), m_view->ContentText());
    QStringList highlighted;
    for (QTextBlock b = other.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().background().color() == QColor(255, 255, 0))
                highlighted << it.fragment().text();
        }
    }
    QCOMPARE(highlighted.size(), 20);
    QVERIFY(highlighted.at(0).startsWith('(') && highlighted.at(0).endsWith(')'));
}

void TestRichTextView::writeToFileReportsCreationErrors()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/fiche.rtf"));
    m_view->SetPlainContent(QStringLiteral("x"));
    try {
        m_view->WriteToFile(path);
        QFAIL("no error");
    } catch (const oxeln::AppError &e) {
        QCOMPARE(e.message(), QStringLiteral("Impossible de créer le fichier ") + path);
    }
    try {
        m_view->WriteToFile(dir.path()); // a folder
        QFAIL("no error");
    } catch (const oxeln::AppError &e) {
        QCOMPARE(e.message(), QStringLiteral("Impossible de créer le fichier ") + dir.path());
    }
}

void TestRichTextView::failedWriteKeepsTheEarlierFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fiche.rtf"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();
    m_view->SetRtfText(oxeln::samples::markupToRtf(oxeln::samples::additions(40).answer));

    // Files may not grow past 4 KiB for a moment: the write itself fails.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        m_view->WriteToFile(path);
    } catch (const oxeln::AppError &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(message, QStringLiteral("Erreur à l'enregistrement du flux"));
    QCOMPARE(readAll(path), QByteArray("earlier"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("fiche.rtf")});
}

QTEST_MAIN(TestRichTextView)
#include "tst_richtextview.moc"
