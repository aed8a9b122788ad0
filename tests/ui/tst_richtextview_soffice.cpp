// Files written by the view, read by another program: LibreOffice converts
// them to text and to flat ODF, and must find the same text and highlights.
#include "RichTextView.h"
#include "RtfSamples.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

using oxeln::RichTextView;

namespace {

QStringList linesOf(QString text)
{
    text.remove(QChar(0xFEFF));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList highlightedRuns(const RichTextView &view)
{
    QStringList out;
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().background().style() != Qt::NoBrush)
                out << it.fragment().text();
        }
    }
    return out;
}

} // namespace

class TestRichTextViewSoffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void libreOfficeReadsTheSameTextAndHighlights();

private:
    // Converts files in one call (each call costs seconds), in a profile of
    // its own so that other instances do not get in the way.
    bool convert(const QString &filter, const QStringList &files, const QString &outDir);

    QString m_soffice;
    QTemporaryDir m_dir;
};

void TestRichTextViewSoffice::initTestCase()
{
    m_soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (m_soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    QVERIFY(m_dir.isValid());
}

bool TestRichTextViewSoffice::convert(const QString &filter, const QStringList &files, const QString &outDir)
{
    QProcess p;
    QStringList args{QStringLiteral("-env:UserInstallation=file://") + m_dir.filePath(QStringLiteral("profile")),
                     QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter,
                     QStringLiteral("--outdir"), outDir};
    p.start(m_soffice, args + files);
    return p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void TestRichTextViewSoffice::libreOfficeReadsTheSameTextAndHighlights()
{
    const oxeln::samples::Worksheet sheet = oxeln::samples::additions(6);
    RichTextView subject;
    RichTextView answer;
    RichTextView accents;
    subject.SetRtfText(oxeln::samples::markupToRtf(sheet.subject));
    answer.SetRtfText(oxeln::samples::markupToRtf(sheet.answer));
    accents.SetRtfText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Pr\\'e9nom : \\'80 \\u937? \\u-10179?\\u-8704? "
                       "\\'9c\\'8c\\~x\\tab y{\\b gras}\\line suite\\par {\\i fin} \\{ \\} \\\\}");
    const QList<RichTextView *> views{&subject, &answer, &accents};
    const QStringList names{QStringLiteral("sujet"), QStringLiteral("sujet_Cor"), QStringLiteral("accents")};
    QStringList files;
    for (int i = 0; i < views.size(); ++i) {
        files << m_dir.filePath(names[i] + QStringLiteral(".rtf"));
        views[i]->WriteToFile(files.last());
    }

    const QString txtDir = m_dir.filePath(QStringLiteral("txt"));
    QVERIFY(convert(QStringLiteral("txt:Text (encoded):UTF8"), files, txtDir));
    for (int i = 0; i < views.size(); ++i) {
        QFile txt(txtDir + u'/' + names[i] + QStringLiteral(".txt"));
        QVERIFY2(txt.open(QIODevice::ReadOnly), qPrintable(txt.fileName()));
        const QStringList got = linesOf(QString::fromUtf8(txt.readAll()));
        QCOMPARE(got, linesOf(views[i]->ContentText()));
    }

    // Flat ODF keeps character highlighting (its HTML export drops it).
    const QString odfDir = m_dir.filePath(QStringLiteral("fodt"));
    QVERIFY(convert(QStringLiteral("fodt"), {files[1]}, odfDir));
    QFile odf(odfDir + QStringLiteral("/sujet_Cor.fodt"));
    QVERIFY(odf.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(odf.readAll());
    QSet<QString> yellowStyles;
    const QRegularExpression style(QStringLiteral("<style:style style:name=\"([^\"]+)\"[^>]*>(.*?)</style:style>"),
                                   QRegularExpression::DotMatchesEverythingOption);
    for (auto it = style.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(2).contains(QStringLiteral("fo:background-color=\"#ffff00\"")))
            yellowStyles.insert(m.captured(1));
    }
    QVERIFY(!yellowStyles.isEmpty());
    QStringList yellow;
    const QRegularExpression span(QStringLiteral("<text:span text:style-name=\"([^\"]+)\">([^<]*)</text:span>"));
    for (auto it = span.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (yellowStyles.contains(m.captured(1)))
            yellow << m.captured(2);
    }
    const QStringList expected = highlightedRuns(answer);
    QCOMPARE(expected.size(), 24);
    QCOMPARE(yellow, expected);
}

QTEST_MAIN(TestRichTextViewSoffice)
#include "tst_richtextview_soffice.moc"
