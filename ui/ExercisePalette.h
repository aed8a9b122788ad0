#pragma once

#include "Drill.h"
#include "DrillOptions.h"

#include <QWidget>

#include <array>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace oxeln {

// "Exercices et réglages": a tool window beside the main window with the
// drills that have no button there (one click each runs the drill on the
// worksheet, as a main button does), the options every drill takes, and the
// number of versions that saving and printing make. It holds the values the
// drills read at their start; the window keeps them in the settings file.
class ExercisePalette : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExercisePalette)

public:
    // Owned by the main window, which it floats beside.
    explicit ExercisePalette(QWidget *owner);

    static constexpr std::array<Drill, 7> PaletteDrills = {
        Drill::MissingPlus, Drill::MissingMinus, Drill::MissingMult, Drill::MissingDivide,
        Drill::P1,          Drill::P2,           Drill::Compare,
    };
    // The objectName of a drill's button: "btnTermePlus", "btnP1"...
    static QString buttonName(Drill drill);

    DrillOptions options() const;
    void setOptions(const DrillOptions &options);
    int versions() const;
    void setVersions(int versions);
    // Max valeur: the upper bound that "Nombres de ... à" shows and the
    // smallest value cannot pass.
    void setMaxValue(int maxValue);

    // The status line at the bottom: a notice of the last drill, or what
    // happened to title 3; empty hides it.
    void setStatus(const QString &text);
    QString status() const;
    // Whether to say that versions B... do not carry the hand edits of the
    // views (shown only with more than one version).
    void setHandEdited(bool edited);

    // Shows it where it was last, or beside the owner window the first
    // time, and raises it.
    void open();
    std::optional<QPoint> place() const;
    void setPlace(const std::optional<QPoint> &place);

signals:
    void drillClicked(oxeln::Drill drill);
    // The writing mode was chosen by the user (not by setOptions).
    void writingChosen(oxeln::Writing writing);
    void versionsChanged(int versions);

protected:
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createDrills();
    QWidget *createOptions();
    QWidget *createVersions();
    QSpinBox *spin(const char *name, int minimum, int maximum, const QString &hint);
    QCheckBox *check(const char *name, const QString &text, const QString &hint);
    void updateTexts();

    QButtonGroup *m_writing = nullptr;
    QCheckBox *m_smallestOn = nullptr;
    QSpinBox *m_smallest = nullptr;
    QLabel *m_largestLabel = nullptr;
    QComboBox *m_signs = nullptr;
    QCheckBox *m_noDuplicates = nullptr;
    QCheckBox *m_exactDivisions = nullptr;
    QCheckBox *m_exponentOn = nullptr;
    QSpinBox *m_exponent = nullptr;
    QCheckBox *m_baseOn = nullptr;
    QSpinBox *m_base = nullptr;
    QCheckBox *m_compactAnswer = nullptr;
    QSpinBox *m_versions = nullptr;
    QLabel *m_versionsNote = nullptr;
    QLabel *m_handEditNote = nullptr;
    QLabel *m_status = nullptr;
    int m_maxValue = 100;
    bool m_handEdited = false;
    bool m_settingOptions = false;
    std::optional<QPoint> m_place;
};

} // namespace oxeln
