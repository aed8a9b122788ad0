#pragma once

#include "ProjectionRound.h"

#include <QString>

namespace oxeln {

// What the projection keeps from one use to the next, in a section of its
// own of the program's settings file (the main window's keys stay as they are).
struct ProjectionSettings
{
    int seconds = ProjectionRound::DefaultSeconds;
    bool dark = false;
    QuestionChoice choice = QuestionChoice::All;

    static QString section() { return QStringLiteral("Projection"); }

    // Absent or unreadable values give the defaults; seconds are clamped.
    static ProjectionSettings read(const QString &iniFile);
    // Writes the keys whose value differs from before; throws SettingsError
    // when the file cannot be written.
    void write(const QString &iniFile, const ProjectionSettings &before) const;

    bool operator==(const ProjectionSettings &) const = default;
};

} // namespace oxeln
