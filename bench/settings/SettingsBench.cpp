// Cost of the settings file at close and at start: the twenty keys of a
// save written as one pass (one read, one replace), against the same keys
// written one update each (read, change one line, replace the file), on a
// small file and on a 10 MB one.

#include "IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

const char *const Keys[] = {
    "FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos(1024x768)", "MinMaxPos",
    "NormPos(1024x768)", "NormPos", "Visible", "spmaxvaleur_Value", "spMaxLigne_Value",
    "spinterligne_Value", "CBCorrige_Checked", "ETitre1_Text", "Etitre2_Text", "Etitre3_Text",
    "spCorriges_Value", "spSujets_Value", "SaveDialog1_InitialDir", "ckbEdite_Checked"};

void saveTwentyKeys(const oxeln::TIniFile &ini, int round)
{
    for (const char *key : Keys)
        ini.writeString(QStringLiteral("TForm1"), QString::fromLatin1(key),
                        QStringLiteral("Compléter la valeur %1").arg(round));
}

void BM_SaveTwentyKeys(benchmark::State &state)
{
    QTemporaryDir dir;
    const oxeln::TIniFile ini(dir.filePath(QStringLiteral("oxeln.ini")));
    int round = 0;
    for (auto _ : state)
        saveTwentyKeys(ini, ++round);
}
BENCHMARK(BM_SaveTwentyKeys)->Unit(benchmark::kMillisecond);

// The settings section, then 10 MB of another section.
void putLargeFile(const QString &path)
{
    QByteArray data = "[TForm1]\r\n";
    for (const char *key : Keys)
        data += QByteArray(key) + "=0\r\n";
    data += "\r\n[Notes]\r\n";
    for (int i = 0; data.size() < 10 * 1024 * 1024; ++i)
        data += "Note" + QByteArray::number(i) + "=Compl\xE9ter en mettant un signe devant le nombre\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

void BM_SaveTwentyKeysOnePass(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("oxeln.ini"));
    if (state.range(0))
        putLargeFile(path);
    int round = 0;
    for (auto _ : state) {
        oxeln::IniFilePass pass(path);
        ++round;
        for (const char *key : Keys)
            pass.writeString(QStringLiteral("TForm1"), QString::fromLatin1(key),
                             QStringLiteral("Compléter la valeur %1").arg(round));
        pass.commit();
    }
}
BENCHMARK(BM_SaveTwentyKeysOnePass)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveTwentyKeysLargeFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const oxeln::TIniFile ini(dir.filePath(QStringLiteral("oxeln.ini")));
    putLargeFile(ini.fileName());
    int round = 0;
    for (auto _ : state)
        saveTwentyKeys(ini, ++round);
}
BENCHMARK(BM_SaveTwentyKeysLargeFile)->Unit(benchmark::kMillisecond);

void BM_ReadTwentyKeys(benchmark::State &state)
{
    QTemporaryDir dir;
    const oxeln::TIniFile ini(dir.filePath(QStringLiteral("oxeln.ini")));
    saveTwentyKeys(ini, 1);
    for (auto _ : state) {
        for (const char *key : Keys)
            benchmark::DoNotOptimize(
                ini.readString(QStringLiteral("TForm1"), QString::fromLatin1(key), QString()));
    }
}
BENCHMARK(BM_ReadTwentyKeys)->Unit(benchmark::kMicrosecond);

// The reads of a start on the 10 MB file: one read per key, or one pass.
void BM_ReadTwentyKeysLargeFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("oxeln.ini"));
    putLargeFile(path);
    for (auto _ : state) {
        std::optional<oxeln::IniFilePass> pass;
        if (state.range(0))
            pass.emplace(path);
        for (const char *key : Keys) {
            const QString name = QString::fromLatin1(key);
            benchmark::DoNotOptimize(pass ? pass->readString(QStringLiteral("TForm1"), name, QString())
                                          : oxeln::TIniFile(path).readString(QStringLiteral("TForm1"), name, QString()));
        }
    }
}
BENCHMARK(BM_ReadTwentyKeysLargeFile)->ArgName("onePass")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
