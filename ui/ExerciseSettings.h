#pragma once

#include "Composition.h"
#include "DrillOptions.h"

#include <QPoint>
#include <QString>

#include <optional>

namespace oxeln {

class SectionAccess;

// What the window of exercises and settings keeps from one run to the
// next, in the section "Exercices" of the settings file: the drill options,
// the number of versions, and where that window stood and whether it was
// open. Values are the composer's names ("negatifs", "un-negatif"...),
// numbers in decimal and "True" or "False".
struct ExerciseSettings
{
    DrillOptions options;
    int versions = 1; // 1 to compose::MaxVersions: sheets A, B... saved and printed together
    std::optional<QPoint> place; // the window's top left, once it was shown
    bool open = false;

    static QString section() { return QStringLiteral("Exercices"); }

    // Each key on its own: an absent key, or a value out of its range or not
    // of its form, gives that key's default.
    static ExerciseSettings read(SectionAccess &section);
    // Writes each key the section holds already or whose value is not the
    // default: a file that never had them stays as it was.
    void write(SectionAccess &section) const;

    bool operator==(const ExerciseSettings &) const = default;
};

} // namespace oxeln
