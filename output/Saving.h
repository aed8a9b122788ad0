#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QTextDocument;
class QWidget;

namespace oxeln {

struct PupilSheet;

// The name the save dialog proposes: the reference code (Windows-1252) with
// its first "Ref " replaced by "Ent_Rel", then ".rtf".
// "Ref 042_917" gives "Ent_Rel042_917.rtf"; no code yet gives ".rtf".
QString ProposedFileName(const std::string &referenceCode);

// The subject's file: the chosen path, with ".rtf" added when its file name
// part has no extension (a dot in a folder name is not one).
QString SubjectFileName(const QString &chosenPath);

// The answer key's file: the subject's file without the extension of its
// file name part, then "_Cor.rtf"; a PDF or OpenDocument subject's keeps its
// format: "_Cor" and the subject's extension.
QString AnswerFileName(const QString &subjectFileName);

// The file types of the save dialog, the first one chosen at the start.
// "Tous les fichiers (*)" leaves the name as typed; with one of the others,
// a name without extension takes that type's: PDF, OpenDocument, then the
// pupils' page (".html") and the Moodle quiz (".gift").
QStringList SaveFileTypes();
// The chosen path as the chosen file type completes it.
QString PathForFileType(const QString &chosenPath, const QString &fileType);

// Runs the save dialog; returns the chosen path, or an empty string when the
// user cancels.
using SaveChooser =
    std::function<QString(QWidget *parent, const QString &initialDir, const QString &proposedName)>;

// The platform's save dialog: starts in initialDir with proposedName and
// "Tous les fichiers (*)", no question before replacing a file. The path
// returned carries the extension of the file type chosen, if the name typed
// had none.
QString RunSaveDialog(QWidget *parent, const QString &initialDir, const QString &proposedName);

// "Enregistrer": asks for a name (the dialog starting in initialDir, or
// when that is empty in the current directory: the folder of the last
// save), then writes the subject view's document
// to it and the answer view's beside it (always, even empty or with the
// answer key off), each in the format its extension names (PDF "Sujet" and
// "Corrigé", OpenDocument, text or RTF); sourceDpi is the views'
// resolution. Afterwards the current directory is the chosen file's folder.
// Both files are written or neither (WriteWorksheetFiles, whose AppError it
// throws): on failure the old files of both names are as they were. A name
// ending in ".html" (or ".htm") or ".gift" gets instead the one file of the
// pupils' page or the Moodle quiz, made from drawn (the questions as drawn:
// hand edits of the views do not reach it), when given, written the same way.
void SaveWorksheet(QWidget *parent, const QTextDocument &subject, const QTextDocument &answer, qreal sourceDpi,
                   const std::string &referenceCode, const QString &initialDir,
                   const SaveChooser &choose = RunSaveDialog, const PupilSheet *drawn = nullptr);

// The versions of a worksheet, A first, as a save of them reads them: each
// document only while its file is made, so that a set of long versions is
// never held whole at once.
class WorksheetVersions
{
public:
    virtual ~WorksheetVersions() = default;
    virtual int count() const = 0;
    // Version 0 is A. The document stays valid until the next call.
    virtual const QTextDocument &document(int version, bool answer) = 0;
    // The questions as drawn, for the pupils' page and the Moodle quiz.
    virtual PupilSheet drawn(int version) = 0;
};

// "Enregistrer" with more than one version: as SaveWorksheet, each version
// under the chosen name with "-A", "-B"... before its extension (fiche-A.rtf
// and fiche-A_Cor.rtf, fiche-B.rtf..., or fiche-A.html, fiche-B.html...), as
// oxeln-compose --versions names them. Every file of the set is written or
// none.
void SaveWorksheetVersions(QWidget *parent, WorksheetVersions &versions, qreal sourceDpi,
                           const std::string &referenceCode, const QString &initialDir,
                           const SaveChooser &choose = RunSaveDialog);

} // namespace oxeln
