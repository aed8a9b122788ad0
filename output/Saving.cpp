#include "Saving.h"

#include "RtfCodePage.h"
#include "ViewDocument.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace oxeln {

namespace {

// Where the file name part of a path starts.
qsizetype fileNameStart(const QString &path)
{
    return path.lastIndexOf(QLatin1Char('/')) + 1;
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
    return (hasExtension ? subjectFileName.left(dot) : subjectFileName) + QStringLiteral("_Cor.rtf");
}

QString RunSaveDialog(QWidget *parent, const QString &initialDir, const QString &proposedName)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!initialDir.isEmpty())
        dialog.setDirectory(initialDir);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void SaveWorksheet(QWidget *parent, const QTextDocument &subject, const QTextDocument &answer, qreal sourceDpi,
                   const std::string &referenceCode, const QString &initialDir, const SaveChooser &choose)
{
    const QString chosen = choose(parent, initialDir, ProposedFileName(referenceCode));
    if (chosen.isEmpty())
        return;
    // The dialog leaves the process in the folder the user browsed to; later
    // previews write their page files there.
    const QString subjectFile = QFileInfo(SubjectFileName(chosen)).absoluteFilePath();
    QDir::setCurrent(QFileInfo(subjectFile).absolutePath());

    WriteDocumentFile(subjectFile, subject, sourceDpi);
    WriteDocumentFile(AnswerFileName(subjectFile), answer, sourceDpi);
}

} // namespace oxeln
