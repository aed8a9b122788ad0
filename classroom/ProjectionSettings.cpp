#include "ProjectionSettings.h"

#include "IniFile.h"

#include <algorithm>

namespace oxeln {

namespace {

const QString kSeconds = QStringLiteral("Secondes");
const QString kDark = QStringLiteral("Sombre");
const QString kChoice = QStringLiteral("Choix");

} // namespace

ProjectionSettings ProjectionSettings::read(const QString &iniFile)
{
    ProjectionSettings settings;
    if (iniFile.isEmpty())
        return settings;
    IniFilePass ini(iniFile); // one reading for the three keys
    settings.seconds = std::clamp<int>(ini.readInteger(section(), kSeconds, settings.seconds),
                                       ProjectionRound::MinSeconds, ProjectionRound::MaxSeconds);
    settings.dark = ini.readString(section(), kDark, QString()).compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
    switch (ini.readInteger(section(), kChoice, 0)) {
    case 10: settings.choice = QuestionChoice::Ten; break;
    case 20: settings.choice = QuestionChoice::Twenty; break;
    default: settings.choice = QuestionChoice::All; break;
    }
    return settings;
}

void ProjectionSettings::write(const QString &iniFile, const ProjectionSettings &before) const
{
    if (iniFile.isEmpty())
        return;
    IniFilePass ini(iniFile); // one replace of the file for the three keys
    if (seconds != before.seconds)
        ini.writeInteger(section(), kSeconds, seconds);
    if (dark != before.dark)
        ini.writeString(section(), kDark, dark ? QStringLiteral("True") : QStringLiteral("False"));
    if (choice != before.choice)
        ini.writeInteger(section(), kChoice, static_cast<int>(choice));
    ini.commit();
}

} // namespace oxeln
