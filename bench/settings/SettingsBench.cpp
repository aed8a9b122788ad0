// Cost of the settings file at close and at start: twenty keys, each one
// its own update of the file (read, change one line, replace the file).

#include "IniFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_MAIN();
