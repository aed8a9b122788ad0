// Saving both views as files named after the chosen name.
#include "AppError.h"
#include "Composition.h"
#include "DocumentExport.h"
#include "GiftQuiz.h"
#include "MarkupToRtf.h"
#include "OutputTestSupport.h"
#include "RichTextView.h"
#include "Saving.h"
#include "StudentPage.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <unistd.h>
#include <memory>
#include <tuple>
#include <sys/resource.h>

using namespace oxeln;
using namespace oxeln::test;

namespace {

QByteArray contentOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &file, const QByteArray &content)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

// Lowers the largest file this process may write, for one scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class SavingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void proposedName_data();
    void proposedName();
    void fileNames_data();
    void fileNames();
    void fileTypeGivesTheExtension_data();
    void fileTypeGivesTheExtension();
    void savesBothFiles_data();
    void savesBothFiles();
    void cancelWritesNothing();
    void replacesWithoutAQuestion();
    void answerFileAlwaysWritten_data();
    void answerFileAlwaysWritten();
    void uncreatableSubjectWritesNoAnswer();
    void uncreatableAnswerWritesNeither();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void fullDiskKeepsTheOldPair_data();
    void fullDiskKeepsTheOldPair();
    void realDialog();
    void realDialogFileType();
    void pdfFilesHoldTheViews();
    void pupilFilesComeFromTheDrawnQuestions();
    void libreOfficeReadsTheSameText();
    void libreOfficeReadsTheOdtFiles();
    void libreOfficeLaysTheFilesOutAsPrinted_data();
    void libreOfficeLaysTheFilesOutAsPrinted();

private:
    SaveChooser choose(const QString &path);

    std::unique_ptr<QWidget> m_window;
    RichTextView *m_subject = nullptr;
    RichTextView *m_answer = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    QString m_shownDir;
    QString m_shownName;
};

SaveChooser SavingTest::choose(const QString &path)
{
    return [this, path](QWidget *, const QString &initialDir, const QString &proposed) {
        m_shownDir = initialDir;
        m_shownName = proposed;
        return path;
    };
}

void SavingTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_subject = new RichTextView(m_window.get());
    m_answer = new RichTextView(m_window.get());
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(5)));
    m_answer->SetRtfText(WorksheetRtf(NumberedLines(5, 800)));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldDir = QDir::currentPath();
    m_shownDir.clear();
    m_shownName.clear();
}

void SavingTest::cleanup()
{
    QDir::setCurrent(m_oldDir);
    m_window.reset();
    m_dir.reset();
}

void SavingTest::proposedName_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("reference code") << QByteArray("Ref 042_917") << QStringLiteral("Ent_Rel042_917.rtf");
    QTest::newRow("no code yet") << QByteArray() << QStringLiteral(".rtf");
    QTest::newRow("first occurrence only") << QByteArray("Ref Ref 1") << QStringLiteral("Ent_RelRef 1.rtf");
    QTest::newRow("case matters") << QByteArray("ref 042_917") << QStringLiteral("ref 042_917.rtf");
    QTest::newRow("Windows-1252 byte") << QByteArray("Ref \xe9t\x80") << QStringLiteral("Ent_Relét€.rtf");
}

void SavingTest::proposedName()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, name);
    QCOMPARE(ProposedFileName(code.toStdString()), name);
}

void SavingTest::fileNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("answer");
    QTest::newRow("no extension") << "/d/fiche" << "/d/fiche.rtf" << "/d/fiche_Cor.rtf";
    QTest::newRow("other extension") << "/d/fiche.doc" << "/d/fiche.doc" << "/d/fiche_Cor.rtf";
    QTest::newRow("text") << "/d/fiche.TXT" << "/d/fiche.TXT" << "/d/fiche_Cor.rtf";
    QTest::newRow("proposal") << "/d/Ent_Rel042_917.rtf" << "/d/Ent_Rel042_917.rtf"
                              << "/d/Ent_Rel042_917_Cor.rtf";
    QTest::newRow("dot in a folder") << "/d/cours.2/fiche" << "/d/cours.2/fiche.rtf" << "/d/cours.2/fiche_Cor.rtf";
    QTest::newRow("last dot only") << "/d/a.b.c" << "/d/a.b.c" << "/d/a.b_Cor.rtf";
    QTest::newRow("empty code") << "/d/.rtf" << "/d/.rtf" << "/d/_Cor.rtf";
    QTest::newRow("relative") << "fiche" << "fiche.rtf" << "fiche_Cor.rtf";
    QTest::newRow("pdf") << "/d/fiche.pdf" << "/d/fiche.pdf" << "/d/fiche_Cor.pdf";
    QTest::newRow("odt, as typed") << "/d/Fiche.ODT" << "/d/Fiche.ODT" << "/d/Fiche_Cor.ODT";
    QTest::newRow("pdf in a folder name") << "/d/x.pdf/fiche" << "/d/x.pdf/fiche.rtf" << "/d/x.pdf/fiche_Cor.rtf";
}

void SavingTest::fileTypeGivesTheExtension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("path");
    QTest::newRow("all files") << "/d/fiche" << 0 << "/d/fiche";
    QTest::newRow("pdf") << "/d/fiche" << 1 << "/d/fiche.pdf";
    QTest::newRow("odt") << "/d/cours.2/fiche" << 2 << "/d/cours.2/fiche.odt";
    QTest::newRow("typed extension wins") << "/d/fiche.rtf" << 1 << "/d/fiche.rtf";
    QTest::newRow("pupils' page") << "/d/fiche" << 3 << "/d/fiche.html";
    QTest::newRow("Moodle quiz") << "/d/fiche" << 4 << "/d/fiche.gift";
}

void SavingTest::fileTypeGivesTheExtension()
{
    QFETCH(QString, chosen);
    QFETCH(int, type);
    QFETCH(QString, path);
    QCOMPARE(SaveFileTypes(), QStringList({QStringLiteral("Tous les fichiers (*)"), QStringLiteral("Document PDF (*.pdf)"),
                                           QStringLiteral("Document OpenDocument (*.odt)"),
                                           QStringLiteral("Page pour les élèves (*.html)"),
                                           QStringLiteral("Questionnaire Moodle (*.gift)")}));
    QCOMPARE(PathForFileType(chosen, SaveFileTypes().at(type)), path);
}

void SavingTest::fileNames()
{
    QFETCH(QString, chosen);
    QFETCH(QString, subject);
    QFETCH(QString, answer);
    QCOMPARE(SubjectFileName(chosen), subject);
    QCOMPARE(AnswerFileName(SubjectFileName(chosen)), answer);
}

void SavingTest::savesBothFiles_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("plainSubject");
    QTest::newRow("fiche") << "fiche" << "fiche.rtf" << "fiche_Cor.rtf" << false;
    QTest::newRow("fiche.doc") << "fiche.doc" << "fiche.doc" << "fiche_Cor.rtf" << false;
    QTest::newRow("fiche.TXT") << "fiche.TXT" << "fiche.TXT" << "fiche_Cor.rtf" << true;
    QTest::newRow("proposal") << "Ent_Rel042_917.rtf" << "Ent_Rel042_917.rtf" << "Ent_Rel042_917_Cor.rtf" << false;
    QTest::newRow("cours.2/fiche") << "cours.2/fiche" << "cours.2/fiche.rtf" << "cours.2/fiche_Cor.rtf" << false;
}

void SavingTest::savesBothFiles()
{
    QFETCH(QString, chosen);
    QFETCH(QString, subject);
    QFETCH(QString, answer);
    QFETCH(bool, plainSubject);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("cours.2")));
    const QString start = m_dir->filePath(QStringLiteral("depart"));

    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", start, choose(m_dir->filePath(chosen)));
    QCOMPARE(m_shownDir, start);
    QCOMPARE(m_shownName, QStringLiteral("Ent_Rel042_917.rtf"));

    const QByteArray subjectBytes = contentOf(m_dir->filePath(subject));
    const QByteArray answerBytes = contentOf(m_dir->filePath(answer));
    QCOMPARE(subjectBytes.startsWith("{\\rtf"), !plainSubject);
    QVERIFY(answerBytes.startsWith("{\\rtf"));
    QVERIFY(subjectBytes.contains("005/ (+6)"));
    QVERIFY(answerBytes.contains("804/"));
    QVERIFY(!answerBytes.contains("005/"));
    if (plainSubject)
        QVERIFY(subjectBytes.contains("001/ (+2) + (-8) = .. Ligne001\r\n002/"));
    // Later previews write where the dialog left off.
    QCOMPARE(QDir::currentPath(), QFileInfo(m_dir->filePath(subject)).absolutePath());
}

void SavingTest::cancelWritesNothing()
{
    const QString before = QDir::currentPath();
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(), choose(QString()));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{});
    QCOMPARE(QDir::currentPath(), before);
}

void SavingTest::replacesWithoutAQuestion()
{
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("fiche.rtf")), "ancien sujet"));
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("fiche_Cor.rtf")), "ancien corrigé"));
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(),
                  choose(m_dir->filePath(QStringLiteral("fiche"))));
    QVERIFY(contentOf(m_dir->filePath(QStringLiteral("fiche.rtf"))).startsWith("{\\rtf"));
    QVERIFY(contentOf(m_dir->filePath(QStringLiteral("fiche_Cor.rtf"))).startsWith("{\\rtf"));
}

void SavingTest::answerFileAlwaysWritten_data()
{
    QTest::addColumn<bool>("emptyAnswer");
    QTest::newRow("answer key off, old answer still shown") << false;
    QTest::newRow("empty answer view") << true;
}

void SavingTest::answerFileAlwaysWritten()
{
    QFETCH(bool, emptyAnswer);
    if (emptyAnswer)
        m_answer->ClearContent();
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(),
                  choose(m_dir->filePath(QStringLiteral("fiche"))));
    const QByteArray answer = contentOf(m_dir->filePath(QStringLiteral("fiche_Cor.rtf")));
    QVERIFY(answer.startsWith("{\\rtf"));
    QCOMPARE(answer.contains("801/"), !emptyAnswer);
}

void SavingTest::uncreatableSubjectWritesNoAnswer()
{
    const QString chosen = m_dir->filePath(QStringLiteral("absent/fiche"));
    const QString before = QDir::currentPath();
    try {
        SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(), choose(chosen));
        QFAIL("saving into a missing folder");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QStringLiteral("Impossible de créer le fichier %1.rtf").arg(chosen));
    }
    QVERIFY(!QFile::exists(chosen + QStringLiteral("_Cor.rtf")));
    QVERIFY(!QDir(m_dir->filePath(QStringLiteral("absent"))).exists());
    QCOMPARE(QDir::currentPath(), before);
}

void SavingTest::uncreatableAnswerWritesNeither()
{
    // A folder in the way of the answer file: the subject, complete, is not
    // kept either.
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("fiche.rtf")), "ancien sujet"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("fiche_Cor.rtf")));
    const QString answer = m_dir->filePath(QStringLiteral("fiche_Cor.rtf"));
    try {
        SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(),
                      choose(m_dir->filePath(QStringLiteral("fiche"))));
        QFAIL("an answer file where a folder stands");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QStringLiteral("Impossible de créer le fichier %1").arg(answer));
    }
    QCOMPARE(contentOf(m_dir->filePath(QStringLiteral("fiche.rtf"))), QByteArray("ancien sujet"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("fiche.rtf"), QStringLiteral("fiche_Cor.rtf")}));
}

void SavingTest::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("rtf") << QStringLiteral("fiche.rtf");
    QTest::newRow("pdf") << QStringLiteral("fiche.pdf");
    QTest::newRow("odt") << QStringLiteral("fiche.odt");
}

void SavingTest::failedWriteKeepsTheOldFile()
{
    QFETCH(QString, name);
    const QString file = m_dir->filePath(name);
    const QString answerFile = AnswerFileName(file);
    const QByteArray old = "{\\rtf1 ancienne fiche}";
    QVERIFY(writeFile(file, old));
    QVERIFY(writeFile(answerFile, old + " corrig\xe9"));
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(400)));
    QString message;
    {
        // Root ignores permissions, not the file size limit: the write fails
        // half way.
        FileSizeLimit limit(4096);
        QVERIFY(limit.active());
        try {
            SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(), choose(file));
        } catch (const AppError &error) {
            message = error.message();
        }
    }
    QCOMPARE(message, QStringLiteral("Erreur à l'enregistrement du flux : %1 (%2)").arg(file, QString::fromLocal8Bit(std::strerror(EFBIG))));
    QCOMPARE(contentOf(file), old);
    QCOMPARE(contentOf(answerFile), old + " corrig\xe9");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({name, QFileInfo(answerFile).fileName()}));
}

void SavingTest::fullDiskKeepsTheOldPair_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"old.rtf", "old.txt", "old.pdf", "old.odt"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Room for the new subject but not for its answer key: the old pair stays
// a pair, byte for byte, and nothing new is left.
void SavingTest::fullDiskKeepsTheOldPair()
{
    QFETCH(QString, name);
    if (geteuid() != 0)
        QSKIP("mounting a small disk needs root");
    const QString disk = m_dir->filePath(QStringLiteral("disque"));
    QVERIFY(QDir().mkpath(disk));
    if (RunTool(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=128k", "tmpfs", disk}).exitCode != 0)
        QSKIP("no tmpfs");
    const auto unmount = qScopeGuard([&] {
        QDir::setCurrent(m_oldDir); // the save moved into it
        RunTool(QStringLiteral("umount"), {disk});
    });
    const QString subjectFile = disk + u'/' + name;
    const QString answerFile = AnswerFileName(subjectFile);
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(),
                  "Ref 042_917", disk, choose(subjectFile));
    const auto md5 = [](const QString &file) { return QCryptographicHash::hash(contentOf(file), QCryptographicHash::Md5); };
    const QByteArray oldSubject = md5(subjectFile);
    const QByteArray oldAnswer = md5(answerFile);
    QVERIFY(!oldSubject.isEmpty() && oldSubject != oldAnswer);

    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3, 500)));
    m_answer->SetRtfText(RealWorksheet({Drill::Mult, Drill::Divide}, 20, 2).answerRtf);
    const auto pages = [](qint64 bytes) { return (bytes + 4095) / 4096 * 4096; };
    const qint64 newSubject = WorksheetFileBytes(subjectFile, *m_subject->document(), m_subject->logicalDpiX(), "Sujet").size();
    const qint64 room = pages(newSubject); // not a byte more
    QVERIFY(writeFile(disk + QStringLiteral("/remplissage"),
                      QByteArray(128 * 1024 - room - pages(QFileInfo(subjectFile).size()) - pages(QFileInfo(answerFile).size()), 'x')));
    QString message;
    try {
        SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(),
                      "Ref 042_918", disk, choose(subjectFile));
    } catch (const AppError &error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("Erreur à l'enregistrement du flux : %1 (%2)")
                          .arg(answerFile, QString::fromLocal8Bit(std::strerror(ENOSPC))));
    QCOMPARE(md5(subjectFile), oldSubject);
    QCOMPARE(md5(answerFile), oldAnswer);
    QStringList expected{QFileInfo(subjectFile).fileName(), QFileInfo(answerFile).fileName(), QStringLiteral("remplissage")};
    expected.sort();
    QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden), expected);
}

void SavingTest::realDialog()
{
    const QString start = m_dir->filePath(QStringLiteral("depart"));
    QVERIFY(QDir().mkpath(start));
    QVERIFY(writeFile(start + QStringLiteral("/fiche.rtf"), "ancien"));
    QString shownDir;
    QString shownName;
    bool questionAsked = false;
    QObject scope; // ends the pollers with this test
    WhenModal<QFileDialog>(&scope, [&](QFileDialog *dialog) {
        shownDir = dialog->directory().absolutePath();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        shownName = name->text();
        name->setText(QStringLiteral("fiche.rtf"));
        // A question about replacing the file would come as a modal box.
        WhenModal<QMessageBox>(&scope, [&](QMessageBox *box) {
            questionAsked = true;
            box->accept();
        });
        QTest::keyClick(name, Qt::Key_Return);
    });
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", start);
    QCOMPARE(shownDir, start);
    QCOMPARE(shownName, QStringLiteral("Ent_Rel042_917.rtf"));
    QVERIFY(!questionAsked);
    QVERIFY(contentOf(start + QStringLiteral("/fiche.rtf")).startsWith("{\\rtf"));
    QVERIFY(contentOf(start + QStringLiteral("/fiche_Cor.rtf")).startsWith("{\\rtf"));
    QCOMPARE(QDir::currentPath(), start);
}

void SavingTest::realDialogFileType()
{
    QString renamed;
    QObject scope;
    WhenModal<QFileDialog>(&scope, [&](QFileDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        if (!name || !types || types->count() != SaveFileTypes().size() || types->currentIndex() != 0) {
            dialog->reject();
            return;
        }
        // Choosing the type puts its extension on the proposed name.
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);
        renamed = name->text();
        name->setText(QStringLiteral("fiche"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(),
                  "Ref 042_917", m_dir->path());
    QCOMPARE(renamed, QStringLiteral("Ent_Rel042_917.pdf"));
    QVERIFY(contentOf(m_dir->filePath(QStringLiteral("fiche.pdf"))).startsWith("%PDF-"));
    QVERIFY(contentOf(m_dir->filePath(QStringLiteral("fiche_Cor.pdf"))).startsWith("%PDF-"));
}

// The page and the quiz: one file each, made from the questions as drawn,
// whatever the views were edited into.
void SavingTest::pupilFilesComeFromTheDrawnQuestions()
{
    compose::ComposeOptions options;
    options.seed = 19;
    options.lineCount = 3;
    options.steps = {{Drill::Plus}, {Drill::Divide}};
    const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
    const PupilSheet drawn{sheet.referenceCode, sheet.titles, sheet.questions};
    m_subject->SetRtfText(QByteArray::fromStdString(MarkupToRtf(sheet.subject)));
    QTextCursor edit(m_subject->document());
    edit.insertText(QStringLiteral("Retouche à la main"));
    for (const auto &[name, bytes] : {std::pair{QStringLiteral("eleves.html"), StudentPageHtml(drawn)},
                                      std::pair{QStringLiteral("quiz.gift"), GiftQuiz(drawn)}}) {
        SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(),
                      sheet.referenceCode, m_dir->path(), choose(m_dir->filePath(name)), &drawn);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{name});
        QCOMPARE(contentOf(m_dir->filePath(name)), QByteArray::fromStdString(bytes));
        QVERIFY(!bytes.empty() && bytes.find("Retouche") == std::string::npos);
        QVERIFY(QFile::remove(m_dir->filePath(name)));
    }
}

void SavingTest::pdfFilesHoldTheViews()
{
    const SampleWorksheet sheet = RealWorksheet({Drill::Plus, Drill::S2, Drill::Mult}, 30, 2);
    m_subject->SetRtfText(sheet.subjectRtf);
    m_answer->SetRtfText(sheet.answerRtf);
    // A hand edit in the subject view is saved with it.
    QTextCursor edit(m_subject->document());
    edit.movePosition(QTextCursor::End);
    edit.insertText(QStringLiteral("Retouche à la main"));
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(),
                  sheet.referenceCode, m_dir->path(), choose(m_dir->filePath(QStringLiteral("fiche.pdf"))));

    for (const auto &[name, view, title] : {std::tuple{QStringLiteral("fiche.pdf"), m_subject, QStringLiteral("Sujet")},
                                            std::tuple{QStringLiteral("fiche_Cor.pdf"), m_answer, QStringLiteral("Corrigé")}}) {
        const QString pdf = m_dir->filePath(name);
        QCOMPARE(NonBlank(PdfWords(pdf).join(QString())), NonBlank(view->ContentText()));
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Title")), title);
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Creator")), ProducerName());
        QVERIFY(ProducerName().startsWith(QStringLiteral("Oxeln ")));
        QVERIFY(PdfInfo(pdf, QStringLiteral("Page size")).endsWith(QStringLiteral("(A4)")));
        // Printing's pages, on A4 with 10 mm (28.35 pt) margins.
        QCOMPARE(PdfPageCount(pdf), PagesOf(*view, ExportPageLayout(), ExportScale()));
        const QPointF first = PdfFirstWord(pdf);
        QVERIFY2(qAbs(first.x() - 28.35) < 1 && qAbs(first.y() - 28.35) < 1, qPrintable(QString::number(first.x())));
        const QList<std::pair<QString, bool>> fonts = PdfFonts(pdf);
        QVERIFY(fonts.size() >= 2);
        for (const auto &[font, embedded] : fonts)
            QVERIFY2(embedded, qPrintable(font));
    }
    QVERIFY(Words(m_subject->ContentText()).contains(QStringLiteral("Retouche")));
    // Every question line stays whole: 190 mm of 9-point Courier would wrap
    // the widest answer lines in the middle of a number ("(-1" / "748)").
    QStringList pdfLines;
    for (const QStringList &page : PdfPageLines(m_dir->filePath(QStringLiteral("fiche_Cor.pdf"))))
        pdfLines += page;
    const QRegularExpression question(QStringLiteral("^\\d\\d+/"));
    int questionLines = 0;
    for (const QString &paragraph : m_answer->ContentText().split(QStringLiteral("\r\n"))) {
        if (!question.match(paragraph).hasMatch())
            continue;
        QVERIFY2(pdfLines.contains(paragraph.simplified()), qPrintable(paragraph.simplified()));
        ++questionLines;
    }
    QCOMPARE(questionLines, 90);
    QCOMPARE(PdfYellowPixels(m_dir->filePath(QStringLiteral("fiche.pdf"))), 0);
    QVERIFY(PdfYellowPixels(m_dir->filePath(QStringLiteral("fiche_Cor.pdf"))) > 500);
}

void SavingTest::libreOfficeReadsTheSameText()
{
    if (!HaveTool(QStringLiteral("soffice")))
        QSKIP("LibreOffice (soffice) is not installed");
    m_subject->SetRtfText(WorksheetRtf({QStringLiteral("Nom : Prénom : Classe : {x} \\ 5 € œ"),
                                        QStringLiteral("001/ (+3) + (-4) = "), QString(),
                                        QStringLiteral("\tfin")}));
    // The answer key of a real worksheet, yellow highlights and all.
    m_answer->SetRtfText(RealWorksheet({Drill::Mult, Drill::Power, Drill::S1}, 10, 1).answerRtf);
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(),
                  choose(m_dir->filePath(QStringLiteral("fiche"))));
    const ToolResult converted =
        LibreOfficeConvert(m_dir->path(), QStringLiteral("txt:Text (encoded):UTF8"),
                           {m_dir->filePath(QStringLiteral("fiche.rtf")), m_dir->filePath(QStringLiteral("fiche_Cor.rtf"))});
    QCOMPARE(converted.exitCode, 0);
    QCOMPARE(LibreOfficeText(m_dir->filePath(QStringLiteral("out/fiche.txt"))), ComparableText(m_subject->ContentText()));
    QCOMPARE(LibreOfficeText(m_dir->filePath(QStringLiteral("out/fiche_Cor.txt"))), ComparableText(m_answer->ContentText()));
}

void SavingTest::libreOfficeReadsTheOdtFiles()
{
    if (!HaveTool(QStringLiteral("soffice")))
        QSKIP("LibreOffice (soffice) is not installed");
    // Blanks that a reader would fold, at the start and in runs, a tab,
    // characters beyond ASCII and the markup's own.
    m_subject->SetRtfText(WorksheetRtf({QStringLiteral("   trois blancs  puis deux {x} \\ 5 € œ"),
                                        QString(), QStringLiteral("\tfin ")}));
    m_answer->SetRtfText(RealWorksheet({Drill::Mult, Drill::S2}, 30, 2).answerRtf);
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(),
                  choose(m_dir->filePath(QStringLiteral("fiche.odt"))));
    const QStringList files{m_dir->filePath(QStringLiteral("fiche.odt")), m_dir->filePath(QStringLiteral("fiche_Cor.odt"))};
    QCOMPARE(LibreOfficeConvert(m_dir->path(), QStringLiteral("txt:Text (encoded):UTF8"), files).exitCode, 0);
    QCOMPARE(LibreOfficeText(m_dir->filePath(QStringLiteral("out/fiche.txt"))), ComparableText(m_subject->ContentText()));
    QCOMPARE(LibreOfficeText(m_dir->filePath(QStringLiteral("out/fiche_Cor.txt"))), ComparableText(m_answer->ContentText()));

    // As LibreOffice prints it: A4, the views' fonts, the answers in yellow,
    // the lines broken where ours are.
    QCOMPARE(LibreOfficeConvert(m_dir->path(), QStringLiteral("pdf"), {files.at(1)}).exitCode, 0);
    const QString printed = m_dir->filePath(QStringLiteral("out/fiche_Cor.pdf"));
    QVERIFY(PdfInfo(printed, QStringLiteral("Page size")).endsWith(QStringLiteral("(A4)")));
    QCOMPARE(PdfInfo(printed, QStringLiteral("Title")), QStringLiteral("Corrigé"));
    QStringList fonts;
    for (const auto &[font, embedded] : PdfFonts(printed))
        fonts << font.section(QLatin1Char('+'), -1);
    fonts.sort();
    QCOMPARE(fonts, QStringList({QStringLiteral("LiberationMono"), QStringLiteral("LiberationSans"),
                                 QStringLiteral("LiberationSans-Bold")}));
    QVERIFY(PdfYellowPixels(printed) > 500);
    SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), "Ref 042_917", m_dir->path(),
                  choose(m_dir->filePath(QStringLiteral("ours.pdf"))));
    const auto lines = [](const QString &pdf) {
        QStringList all;
        for (const QStringList &page : PdfPageLines(pdf))
            all += page;
        return all;
    };
    QCOMPARE(lines(printed), lines(m_dir->filePath(QStringLiteral("ours_Cor.pdf"))));
}

void SavingTest::libreOfficeLaysTheFilesOutAsPrinted_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("interline");
    QTest::newRow("40 lines") << 40 << 2;
    QTest::newRow("38 lines, interline 1") << 38 << 1; // two printed pages, but three without the line spacing
}

// A saved RTF or OpenDocument file opened in LibreOffice: as many pages as
// the program's own PDF, every question line whole.
void SavingTest::libreOfficeLaysTheFilesOutAsPrinted()
{
    QFETCH(int, lines);
    QFETCH(int, interline);
    if (!HaveTool(QStringLiteral("soffice")))
        QSKIP("LibreOffice (soffice) is not installed");
    const SampleWorksheet sheet = RealWorksheet({Drill::Mult, Drill::Divide}, lines, interline);
    m_subject->SetRtfText(sheet.subjectRtf);
    m_answer->SetRtfText(sheet.answerRtf);
    for (const char *name : {"ours.pdf", "r.rtf", "o.odt"})
        SaveWorksheet(m_window.get(), *m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(),
                      sheet.referenceCode, m_dir->path(), choose(m_dir->filePath(QString::fromLatin1(name))));
    const QStringList saved{m_dir->filePath(QStringLiteral("r.rtf")), m_dir->filePath(QStringLiteral("r_Cor.rtf")),
                            m_dir->filePath(QStringLiteral("o.odt")), m_dir->filePath(QStringLiteral("o_Cor.odt"))};
    QCOMPARE(LibreOfficeConvert(m_dir->path(), QStringLiteral("pdf"), saved).exitCode, 0);

    const QRegularExpression question(QStringLiteral("^\\d\\d+/"));
    for (const auto &[converted, ours, view] :
         {std::tuple{"r", "ours", m_subject}, std::tuple{"r_Cor", "ours_Cor", m_answer},
          std::tuple{"o", "ours", m_subject}, std::tuple{"o_Cor", "ours_Cor", m_answer}}) {
        const QString pdf = m_dir->filePath(QStringLiteral("out/%1.pdf").arg(QLatin1String(converted)));
        QCOMPARE(PdfPageCount(pdf), PdfPageCount(m_dir->filePath(QStringLiteral("%1.pdf").arg(QLatin1String(ours)))));
        QStringList shown;
        for (const QStringList &page : PdfPageLines(pdf))
            shown += page;
        int questionLines = 0;
        for (const QString &paragraph : view->ContentText().split(QStringLiteral("\r\n"))) {
            if (!question.match(paragraph).hasMatch())
                continue;
            QVERIFY2(shown.contains(paragraph.simplified()), qPrintable(converted + (u' ' + paragraph.simplified())));
            ++questionLines;
        }
        QCOMPARE(questionLines, 2 * lines);
    }
}

QTEST_MAIN(SavingTest)
#include "tst_Saving.moc"
