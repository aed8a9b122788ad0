// "Exercices et réglages": the window's side of the drills without a button
// of their own, of the options every drill reads, and of the versions that
// saving and printing make from the worksheet's recorded clicks.
#include "UOxeln.h"

#include "DefaultTitles.h"
#include "ExercisePalette.h"
#include "ExerciseSettings.h"
#include "FormStorage.h"
#include "RichTextView.h"
#include "RtfCodePage.h"
#include "SpinEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolTip>

void TForm1::createExercises()
{
    // In the free place right of "Interligne"; it takes no part in the
    // designed Tab order (F6 reaches it from the keyboard).
    btnExercices = button("btnExercices", QStringLiteral("…"), QStringLiteral("Autres exercices et réglages (F6)"),
                          {102, 56, 20, 22}, Left | Top);
    btnExercices->setFocusPolicy(Qt::NoFocus);
    QFont bold = btnExercices->font();
    bold.setBold(true);
    btnExercices->setFont(bold);
    connect(btnExercices, &QPushButton::clicked, this, &TForm1::openExercises);
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_F6), this);
    shortcut->setObjectName(QStringLiteral("exercisesShortcut"));
    connect(shortcut, &QShortcut::activated, this, &TForm1::openExercises);

    m_exercises = new oxeln::ExercisePalette(this);
    m_exercises->setMaxValue(spmaxvaleur->value());
    connect(spmaxvaleur, &QSpinBox::valueChanged, m_exercises, &oxeln::ExercisePalette::setMaxValue);
    connect(m_exercises, &oxeln::ExercisePalette::drillClicked, this, &TForm1::runDrill);
    connect(m_exercises, &oxeln::ExercisePalette::writingChosen, this, &TForm1::adaptTitle3);
    connect(m_exercises, &oxeln::ExercisePalette::versionsChanged, this, &TForm1::showHandEdits);
    for (oxeln::RichTextView *view : {RxE1, RxE2})
        connect(view, &QTextEdit::textChanged, this, &TForm1::showHandEdits);

    // Kept beside the window's own settings, in the same replace of the file.
    FormStorage1->addStoredSection({
        oxeln::ExerciseSettings::section(),
        [this](oxeln::SectionAccess &section) {
            const oxeln::ExerciseSettings stored = oxeln::ExerciseSettings::read(section);
            m_exercises->setOptions(stored.options);
            m_exercises->setVersions(stored.versions);
            m_exercises->setPlace(stored.place);
            // Once the window stands where the store put it.
            if (stored.open)
                QTimer::singleShot(0, this, &TForm1::openExercises);
        },
        [this](oxeln::SectionAccess &section) {
            oxeln::ExerciseSettings current;
            current.options = m_exercises->options();
            current.versions = m_exercises->versions();
            current.place = m_exercises->place();
            current.open = m_exercises->isVisible();
            current.write(section);
        },
    });
}

void TForm1::openExercises()
{
    m_exercises->open();
}

void TForm1::addExercisesEntry(QMenu *menu)
{
    menu->addSeparator();
    QAction *entry = menu->addAction(QStringLiteral("Autres exercices et réglages (F6)"), this, &TForm1::openExercises);
    entry->setObjectName(QStringLiteral("exercisesEntry"));
}

oxeln::DrillOptions TForm1::drillOptions()
{
    // Read at the start of each drill: the last drill's notice goes.
    m_exercises->setStatus(QString());
    return m_exercises->options();
}

void TForm1::showNotice(const std::string &text)
{
    const QString notice = oxeln::cp1252::decode(text);
    m_exercises->setStatus(notice);
    // With the palette closed, the counter of questions says it for a while.
    if (!m_exercises->isVisible() && pnlNb->isVisible())
        QToolTip::showText(pnlNb->mapToGlobal(pnlNb->rect().center()), notice, pnlNb, QRect(), 15000);
}

void TForm1::adaptTitle3(oxeln::Writing writing)
{
    // Title 3 is the teacher's text; only the program's own instruction,
    // which asks for brackets around every result, follows the writing.
    const QString current = Etitre3->text();
    const QString fitting = oxeln::cp1252::decode(oxeln::DefaultTitle3For(writing));
    if (current == fitting)
        return;
    for (const oxeln::Writing any : {oxeln::Writing::Parentheses, oxeln::Writing::Negatives, oxeln::Writing::Simplified}) {
        if (current == oxeln::cp1252::decode(oxeln::DefaultTitle3For(any))) {
            Etitre3->setText(fitting);
            Etitre3->setCursorPosition(0);
            m_exercises->setStatus(QStringLiteral("La consigne (Titre3) suit l'écriture choisie ; "
                                                  "elle sera en tête de la prochaine fiche."));
            return;
        }
    }
    m_exercises->setStatus(QStringLiteral("Titre3 est votre texte : adaptez la consigne à cette écriture "
                                          "si elle en parle."));
}

void TForm1::showHandEdits()
{
    m_exercises->setHandEdited(viewsEditedByHand());
}

bool TForm1::withVersions() const
{
    // Without any drill since the worksheet began there is nothing to draw
    // again: the views alone are the worksheet.
    return m_exercises->versions() > 1 && !m_clicks.empty();
}

bool TForm1::versionsMayLoseHandEdits()
{
    if (!viewsEditedByHand())
        return true;
    const QChar last(u'A' + m_exercises->versions() - 1);
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         QStringLiteral("Le sujet ou le corrigé a été retouché à la main. Seule la fiche A garde "
                                        "ces retouches : les fiches B à %1 sont tirées à nouveau, sans elles.")
                             .arg(last),
                         QMessageBox::NoButton, this);
    question.setObjectName(QStringLiteral("versionsQuestion"));
    QPushButton *go = question.addButton(QStringLiteral("Continuer"), QMessageBox::AcceptRole);
    question.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    question.setDefaultButton(go);
    question.exec();
    return question.clickedButton() == go;
}
