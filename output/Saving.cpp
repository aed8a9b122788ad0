#include "Saving.h"

#include "Composition.h"
#include "DocumentExport.h"
#include "GiftQuiz.h"
#include "RtfCodePage.h"
#include "StudentPage.h"
#include "ViewDocument.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <optional>

namespace oxeln {

namespace {

// Where the file name part of a path starts.
qsizetype fileNameStart(const QString &path)
{
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}

// Whether the name is one of the pupils' page or the Moodle quiz.
bool drawnFileName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm") || suffix == QLatin1String("gift");
}

// The pupils' page or the Moodle quiz for a name of theirs; nothing for any
// other name.
std::optional<std::string> pupilFileBytes(const QString &path, const PupilSheet &drawn)
{
    if (!drawnFileName(path))
        return std::nullopt;
    if (QFileInfo(path).suffix().toLower() == QLatin1String("gift"))
        return GiftQuiz(drawn);
    return StudentPageHtml(drawn);
}

} // namespace

QString ProposedFileName(const std::string &referenceCode)
{
    std::string name = referenceCode;
    if (const auto at = name.find("Ref "); at != std::string::npos)
        name.replace(at, 4, "Ent_Rel");
    return cp1252::decode(QByteArray::fromStdString(name)) + QStringLiteral(".rtf");
}

QString SubjectFileName(const QString &chosenPath)
{
    if (chosenPath.indexOf(QLatin1Char('.'), fileNameStart(chosenPath)) < 0)
        return chosenPath + QStringLiteral(".rtf");
    return chosenPath;
}

QString AnswerFileName(const QString &subjectFileName)
{
    const qsizetype dot = subjectFileName.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot >= fileNameStart(subjectFileName);
    const QString base = hasExtension ? subjectFileName.left(dot) : subjectFileName;
    const FileFormat format = FileFormatOf(subjectFileName);
    if (hasExtension && (format == FileFormat::Pdf || format == FileFormat::Odt))
        return base + QStringLiteral("_Cor") + subjectFileName.mid(dot);
    return base + QStringLiteral("_Cor.rtf");
}

QStringList SaveFileTypes()
{
    return {QStringLiteral("Tous les fichiers (*)"), QStringLiteral("Document PDF (*.pdf)"),
            QStringLiteral("Document OpenDocument (*.odt)"), QStringLiteral("Page pour les élèves (*.html)"),
            QStringLiteral("Questionnaire Moodle (*.gift)")};
}

QString PathForFileType(const QString &chosenPath, const QString &fileType)
{
    const QStringList types = SaveFileTypes();
    const qsizetype type = types.indexOf(fileType);
    if (type <= 0 || chosenPath.indexOf(QLatin1Char('.'), fileNameStart(chosenPath)) >= 0)
        return chosenPath;
    static const char *const extensions[] = {"", ".pdf", ".odt", ".html", ".gift"};
    return chosenPath + QLatin1String(extensions[type]);
}

QString RunSaveDialog(QWidget *parent, const QString &initialDir, const QString &proposedName)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Choosing a type changes the extension of the name in the box; the
    // first type leaves it as it is.
    dialog.setNameFilters(SaveFileTypes());
    dialog.selectNameFilter(SaveFileTypes().constFirst());
    if (!initialDir.isEmpty())
        dialog.setDirectory(initialDir);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return PathForFileType(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
}

namespace {

// The subject's file the user chose, absolute, or nothing when cancelled.
std::optional<QString> chooseSubjectFile(QWidget *parent, const std::string &referenceCode, const QString &initialDir,
                                         const SaveChooser &choose)
{
    // With no stored folder, the dialog starts where the last save went,
    // which the dialog of the platform this was designed for leaves as the
    // current directory; Qt's would go back to where the program started.
    const QString start = initialDir.isEmpty() ? QDir::currentPath() : initialDir;
    const QString chosen = choose(parent, start, ProposedFileName(referenceCode));
    if (chosen.isEmpty())
        return std::nullopt;
    // The dialog leaves the process in the folder the user browsed to.
    const QString subjectFile = QFileInfo(SubjectFileName(chosen)).absoluteFilePath();
    QDir::setCurrent(QFileInfo(subjectFile).absolutePath());
    return subjectFile;
}

} // namespace

void SaveWorksheet(QWidget *parent, const QTextDocument &subject, const QTextDocument &answer, qreal sourceDpi,
                   const std::string &referenceCode, const QString &initialDir, const SaveChooser &choose,
                   const PupilSheet *drawn)
{
    const std::optional<QString> chosenFile = chooseSubjectFile(parent, referenceCode, initialDir, choose);
    if (!chosenFile)
        return;
    const QString &subjectFile = *chosenFile;

    // One file that holds its own correction: no "_Cor" beside it.
    if (const std::optional<std::string> bytes = drawn ? pupilFileBytes(subjectFile, *drawn) : std::nullopt) {
        WriteWorksheetFiles({{subjectFile, [&bytes] { return QByteArray::fromStdString(*bytes); }}});
        return;
    }

    // Both files or neither: a new subject beside an old answer key would
    // pass for a pair.
    const QString answerFile = AnswerFileName(subjectFile);
    WriteWorksheetFiles({
        {subjectFile, [&] { return WorksheetFileBytes(subjectFile, subject, sourceDpi, QStringLiteral("Sujet")); }},
        {answerFile, [&] { return WorksheetFileBytes(answerFile, answer, sourceDpi, QStringLiteral("Corrigé")); }},
    });
}

void SaveWorksheetVersions(QWidget *parent, WorksheetVersions &versions, qreal sourceDpi,
                           const std::string &referenceCode, const QString &initialDir, const SaveChooser &choose)
{
    const std::optional<QString> subjectFile = chooseSubjectFile(parent, referenceCode, initialDir, choose);
    if (!subjectFile)
        return;
    const int count = versions.count();
    const bool pupilFile = drawnFileName(*subjectFile);
    QList<WorksheetFile> files;
    for (int version = 0; version < count; ++version) {
        const QString subjectPath =
            QString::fromStdString(compose::versionPath(subjectFile->toStdString(), version, count));
        if (pupilFile) {
            files.append({subjectPath, [&versions, version, subjectPath] {
                              return QByteArray::fromStdString(*pupilFileBytes(subjectPath, versions.drawn(version)));
                          }});
            continue;
        }
        const QString answerPath = AnswerFileName(subjectPath);
        files.append({subjectPath, [&versions, version, subjectPath, sourceDpi] {
                          return WorksheetFileBytes(subjectPath, versions.document(version, false), sourceDpi,
                                                    QStringLiteral("Sujet"));
                      }});
        files.append({answerPath, [&versions, version, answerPath, sourceDpi] {
                          return WorksheetFileBytes(answerPath, versions.document(version, true), sourceDpi,
                                                    QStringLiteral("Corrigé"));
                      }});
    }
    WriteWorksheetFiles(files);
}

} // namespace oxeln
