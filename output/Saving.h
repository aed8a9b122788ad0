#pragma once

#include <QString>

#include <functional>
#include <string>

class QTextDocument;
class QWidget;

namespace oxeln {

// The name the save dialog proposes: the reference code (Windows-1252) with
// its first "Ref " replaced by "Ent_Rel", then ".rtf".
// "Ref 042_917" gives "Ent_Rel042_917.rtf"; no code yet gives ".rtf".
QString ProposedFileName(const std::string &referenceCode);

// The subject's file: the chosen path, with ".rtf" added when its file name
// part has no extension (a dot in a folder name is not one).
QString SubjectFileName(const QString &chosenPath);

// The answer key's file: the subject's file without the extension of its
// file name part, then "_Cor.rtf".
QString AnswerFileName(const QString &subjectFileName);

// Runs the save dialog; returns the chosen path, or an empty string when the
// user cancels.
using SaveChooser =
    std::function<QString(QWidget *parent, const QString &initialDir, const QString &proposedName)>;

// The platform's save dialog: starts in initialDir with proposedName, no
// filter, no default extension, no question before replacing a file.
QString RunSaveDialog(QWidget *parent, const QString &initialDir, const QString &proposedName);

// "Enregistrer": asks for a name, then writes the subject view's document
// to it and the answer view's beside it (always, even empty or with the
// answer key off); sourceDpi is the views' resolution. Afterwards the
// current directory is the chosen file's folder. Throws WriteDocumentFile's
// AppError; a subject that fails writes no answer file.
void SaveWorksheet(QWidget *parent, const QTextDocument &subject, const QTextDocument &answer, qreal sourceDpi,
                   const std::string &referenceCode, const QString &initialDir,
                   const SaveChooser &choose = RunSaveDialog);

} // namespace oxeln
