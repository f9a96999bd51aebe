// Import Data's reading of the two hostile files of the size limit's order (here 50 MB): an
// EC4 file of blank lines after its first line and a NOVA file whose Scan number changes every
// other row. Target: a file of 200 MB in a few seconds (these took 17 s and 37 s at 199 MB).

#include "files/CurveImport.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kFileBytes = 50 * 1024 * 1024;

std::string writtenFile(const std::string &name, const std::string &text) {
    std::string file =
        (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
            .string();
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

void readFile(benchmark::State &state, const std::string &file) {
    for (auto _ : state)
        benchmark::DoNotOptimize(kemvo::readImportFile(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
    std::filesystem::remove(file);
}

void Ec4OfBlankLines(benchmark::State &state) {
    std::string text = "EC4 File used by Nordic Electrochemistry Aps\n";
    text.append(kFileBytes, '\n');
    text += "E (V)\ti (A)\n0.1\t1e-6\n0.2\t2e-6\n";
    readFile(state, writtenFile("blank-lines.txt", text));
}

void NovaOfAScanEveryTwoRows(benchmark::State &state) {
    std::string text = "Potential applied (V);Time (s);WE(1).Current (A);WE(1).Potential "
                       "(V);Scan\n";
    for (std::size_t row = 0; text.size() < kFileBytes; ++row)
        text += (row % 2 == 0 ? "0,0500000;" : "0,0600000;") + std::string("0,2450000;") +
                "5,96E-010;-0,0496000;" + std::to_string(row / 2 + 1) + "\n";
    readFile(state, writtenFile("many-scans.txt", text));
}

} // namespace

BENCHMARK(Ec4OfBlankLines)->Unit(benchmark::kMillisecond);
BENCHMARK(NovaOfAScanEveryTwoRows)->Unit(benchmark::kMillisecond);
