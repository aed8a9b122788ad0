#include "ExerciseSettings.h"

#include "FormStorage.h"

#include <QStringList>

namespace oxeln {

namespace {

const QString kWriting = QStringLiteral("Ecriture");
const QString kSmallest = QStringLiteral("Min");
const QString kSigns = QStringLiteral("Signes");
const QString kNoDuplicates = QStringLiteral("SansDoublon");
const QString kExactDivisions = QStringLiteral("DivisionsExactes");
const QString kLargestExponent = QStringLiteral("ExposantMax");
const QString kLargestBase = QStringLiteral("BaseMax");
const QString kCompactAnswer = QStringLiteral("CorrigeCompact");
const QString kVersions = QStringLiteral("Versions");
const QString kPlace = QStringLiteral("Position");
const QString kOpen = QStringLiteral("Ouverte");

std::string_view ascii(const QString &text, QByteArray &bytes)
{
    bytes = text.toLatin1();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::int32_t number(SectionAccess &section, const QString &key, std::int32_t low, std::int32_t high,
                    std::int32_t defaultValue)
{
    QByteArray bytes;
    const auto parsed = ParseOptionNumber(ascii(section.read(key, QString()), bytes), low, high);
    return parsed.value.value_or(defaultValue);
}

bool boolean(SectionAccess &section, const QString &key, bool defaultValue)
{
    const QString text = section.read(key, QString());
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return defaultValue;
}

template<typename T, typename Parse>
T named(SectionAccess &section, const QString &key, Parse parse, T defaultValue)
{
    QByteArray bytes;
    return parse(ascii(section.read(key, QString()), bytes)).value.value_or(defaultValue);
}

std::optional<QPoint> point(SectionAccess &section, const QString &key)
{
    const QStringList words = section.read(key, QString()).split(QLatin1Char(','));
    bool xOk = false;
    bool yOk = false;
    if (words.size() != 2)
        return std::nullopt;
    const QPoint at(words[0].trimmed().toInt(&xOk), words[1].trimmed().toInt(&yOk));
    if (!xOk || !yOk)
        return std::nullopt;
    return at;
}

QString text(std::string_view name)
{
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString text(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

ExerciseSettings ExerciseSettings::read(SectionAccess &section)
{
    ExerciseSettings s;
    DrillOptions &o = s.options;
    o.writing = named(section, kWriting, ParseWriting, o.writing);
    o.smallest = number(section, kSmallest, 0, SmallestLimit, o.smallest);
    o.signs = named(section, kSigns, ParseSignMix, o.signs);
    o.noDuplicates = boolean(section, kNoDuplicates, o.noDuplicates);
    o.exactDivisions = boolean(section, kExactDivisions, o.exactDivisions);
    o.largestExponent = number(section, kLargestExponent, 0, LargestExponentLimit, o.largestExponent);
    o.largestBase = number(section, kLargestBase, 0, LargestBaseLimit, o.largestBase);
    o.compactAnswer = boolean(section, kCompactAnswer, o.compactAnswer);
    s.versions = number(section, kVersions, 1, compose::MaxVersions, s.versions);
    s.place = point(section, kPlace);
    s.open = boolean(section, kOpen, s.open);
    return s;
}

void ExerciseSettings::write(SectionAccess &section) const
{
    const ExerciseSettings defaults;
    // An absent key reads as this, which no value has.
    const QString absent = QStringLiteral("\x01");
    const auto put = [&](const QString &key, const QString &value, bool isDefault) {
        if (!isDefault || section.read(key, absent) != absent)
            section.write(key, value);
    };
    const DrillOptions &o = options;
    const DrillOptions &d = defaults.options;
    put(kWriting, text(WritingName(o.writing)), o.writing == d.writing);
    put(kSmallest, QString::number(o.smallest), o.smallest == d.smallest);
    put(kSigns, text(SignMixName(o.signs)), o.signs == d.signs);
    put(kNoDuplicates, text(o.noDuplicates), o.noDuplicates == d.noDuplicates);
    put(kExactDivisions, text(o.exactDivisions), o.exactDivisions == d.exactDivisions);
    put(kLargestExponent, QString::number(o.largestExponent), o.largestExponent == d.largestExponent);
    put(kLargestBase, QString::number(o.largestBase), o.largestBase == d.largestBase);
    put(kCompactAnswer, text(o.compactAnswer), o.compactAnswer == d.compactAnswer);
    put(kVersions, QString::number(versions), versions == defaults.versions);
    if (place)
        put(kPlace, QStringLiteral("%1,%2").arg(place->x()).arg(place->y()), false);
    put(kOpen, text(open), open == defaults.open);
}

} // namespace oxeln
