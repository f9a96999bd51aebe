#include "files/CurveImport.h"

#include "files/DataFileReader.h"
#include "files/ImportProgramme.h"
#include "files/InstrumentExport.h"
#include "files/TimeAxis.h"
#include "shell/Application.h"
#include "shell/CurveSlots.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <istream>
#include <memory>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>

namespace kemvo {
namespace {

constexpr const char *kTooFew = "at least two distinct potentials are needed";

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

std::string notRegular(const std::string &file, mode_t mode) {
    if (S_ISDIR(mode))
        return "cannot open " + file + ": " + std::strerror(EISDIR);
    const char *kind = S_ISFIFO(mode)                   ? "a pipe"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "not a file";
    return "cannot read " + file + ": it is " + std::string(kind) + ", not a regular file";
}

std::string tooLarge(const std::string &file, std::uintmax_t bytes) {
    return file + " holds " + std::to_string(bytes) + " bytes (" +
           std::to_string(bytes / (1024 * 1024)) + " MB); no curve file is larger than " +
           std::to_string(kMaxImportBytes / (1024 * 1024)) + " MB";
}

// An input stream over bytes already in memory, for the item reader of the bare format.
class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(std::string &bytes) {
        setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
    }
};

MeasuredFile readBareFile(std::string &bytes) {
    auto potential = std::make_unique<PointArray>();
    auto values = std::make_unique<PointTable<6>>();
    MemoryBuffer buffer(bytes);
    std::istream in(&buffer);
    constexpr int kSlot = 1;
    int count = readPairs(in, *potential, *values, kSlot);
    MeasuredCurve curve{"all", {}, {}, std::nullopt};
    for (int i = 1; i <= count; ++i) {
        curve.potential.push_back((*potential)(i));
        curve.current.push_back((*values)(i, kSlot));
    }
    return MeasuredFile{"", "", {std::move(curve)}, false};
}

// Keeps the curves that have a potential axis; says why when none has.
void keepUsableCurves(MeasuredFile &file) {
    bool anyPoint = false;
    file.droppedCurves = std::erase_if(file.curves, [&anyPoint](const MeasuredCurve &curve) {
        anyPoint = anyPoint || !curve.potential.empty();
        return !hasTwoDistinctPotentials(curve.potential);
    });
    if (file.curves.empty())
        throw RuntimeError(anyPoint ? kTooFew : "the file holds no data points");
}

// The name of the scan option of the parameters window.
const char *scanOption(ScanChoice scan) {
    switch (scan) {
    case ScanChoice::Single:
        return "option9";
    case ScanChoice::Cycle:
        return "option10";
    case ScanChoice::TwoCycles:
        return "Option11";
    case ScanChoice::Cycles:
        break;
    }
    return "Option12";
}

std::string scanName(const SweepProgramme &programme) {
    switch (programme.scan) {
    case ScanChoice::Single:
        return "Single";
    case ScanChoice::Cycle:
        return "Cycle";
    case ScanChoice::TwoCycles:
        return "2 Cycles";
    case ScanChoice::Cycles:
        break;
    }
    return generalNumber(programme.cycles) + " Cycles";
}

// The legend's name of an imported curve: its own label ("cycle 2", "measured"), or the
// file's name where it has none of its own.
std::string curveLabelOf(const MeasuredFile &file, const MeasuredCurve &curve) {
    const bool own =
        !curve.label.empty() && curve.label != "all" && curve.label != "all, concatenated";
    return own ? curve.label : file.source;
}

// The bare format's step is the spacing of its first two points, as its import has always
// reported it; where they coincide the median spacing stands in.
double bareStep(const MeasuredCurve &curve, const SweepProgramme &programme) {
    double first = meantStep(curve.potential[1] - curve.potential[0]);
    return first > 0 ? first : programme.eStep;
}

// Their change handlers recompute what depends on the potential programme.
void primeParameters(Application &app, const SweepProgramme &programme, bool bare, double quietTime,
                     double vertexHold) {
    auto box = [&app](const char *name) -> TextBox & {
        return app.control<TextBox>("FormExpr", name);
    };
    // The scan rate first: a new step recomputes the drop time from it.
    if (!bare && programme.scanRate)
        box("V").setText(generalNumber(*programme.scanRate));
    box("Estart").setText(generalNumber(programme.eStart));
    box("Estep").setText(generalNumber(programme.eStep));
    box("Eend").setText(generalNumber(programme.eEnd));
    // Typed by the import, they no longer follow E start.
    box("Evertex2").setText(generalNumber(programme.eVertex2));
    box("Efinal").setText(generalNumber(programme.eFinal));
    box("TextQuiet").setText(generalNumber(quietTime));
    box("TextVertexHold").setText(generalNumber(vertexHold));
    if (programme.scan == ScanChoice::Cycles)
        box("TextCycles").setText(generalNumber(programme.cycles));
    app.control<OptionButton>("FormExpr", scanOption(programme.scan)).select();
}

void reportProgramme(TextWindow &result, const SweepProgramme &programme, double quietTime,
                     double vertexHold) {
    result.print(ReportLine().text("E start = ").number(programme.eStart));
    result.print(ReportLine().text("E end = ").number(programme.eEnd));
    if (programme.sweeps >= 2) {
        result.print(ReportLine().text("E vertex 2 = ").number(programme.eVertex2));
        result.print(ReportLine().text("E final = ").number(programme.eFinal));
    }
    if (programme.meanStep)
        result.print("E step is the mean step: the potentials sit on an uneven grid");
    if (programme.statedRate)
        result.print("v of the header (" + generalNumber(*programme.statedRate) +
                     " V/s) differs from dE/dt of the time axis by more than 5 %: "
                     "the measured one is taken");
    if (programme.scanRate)
        result.print(ReportLine().text("v = ").number(*programme.scanRate));
    else
        result.print("v is not in the file and stays as it was");
    result.print("Scan = " + scanName(programme) + " (" + std::to_string(programme.sweeps) +
                 (programme.sweeps == 1 ? " sweep)" : " sweeps)"));
    result.print(ReportLine().text("Quiet time = ").number(quietTime));
    if (vertexHold > 0)
        result.print(ReportLine().text("Vertex hold = ").number(vertexHold));
}

// A hold's length as the parameters window takes it: to the millisecond.
double wholeMilliseconds(double seconds) {
    return std::round(seconds * 1e3) / 1e3;
}

std::string pointsText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " point" : " points");
}

// What the time column showed of holds, and what became of them.
void reportHolds(TextWindow &result, const CurveHolds &holds, bool headerQuiet, bool oneHold,
                 bool vertexHeld) {
    auto held = [](const TimeHold &hold, const std::string &where) {
        return "The time column shows a hold of " + generalNumber(wholeMilliseconds(hold.seconds)) +
               " s at " + where + " (" + pointsText(hold.last - hold.first + 1);
    };
    if (holds.atStart)
        result.print(
            held(*holds.atStart, "E start") + ", the last kept): " +
            (headerQuiet ? "the header's quiet time is taken" : "it is taken as the quiet time"));
    // Holds of one length at every turning point are the programme's vertex hold. Otherwise
    // the programme cannot hold as measured: the curve after the hold is simulated as if the
    // scan had turned at once, which the user must know before fitting it.
    const std::string why = oneHold ? "the programme is not set from the curve"
                                    : "the holds at the turning points differ (or a turning "
                                      "point has none), and the vertex hold is one for all";
    for (const TimeHold &hold : holds.atTurns)
        result.print(held(hold, "the turning point " + generalNumber(hold.potential) + " V") +
                     (vertexHeld ? ", the first and the last kept): it is taken as the vertex hold"
                                 : ", the first kept): " + why +
                                       ", so the programme turns without a hold and the curve "
                                       "after it is not simulated as measured; fit the part "
                                       "before it (Fit from E ... to E ..., cycles)"));
}

// The curve from its steady scan on: offScan points before it were left out; startsTheFile
// when it is the beginning of the file, to which the header's E initial and quiet time belong.
void takeSteadyCurve(Application &app, const MeasuredFile &file, const MeasuredCurve &measured,
                     ImportChoice choice, std::size_t offScan, bool startsTheFile,
                     const CurveHolds &holds, std::optional<double> vertexHold) {
    const bool oneHold = commonVertexHold(holds).has_value();
    const bool bare = file.format.empty();
    std::size_t every = 1;
    MeasuredCurve curve = thinned(measured, static_cast<std::size_t>(kMaxPoints), every);
    if (!hasTwoDistinctPotentials(curve.potential))
        throw RuntimeError(kTooFew);
    // The programme of the curve as measured; a thinned curve keeps every k-th step.
    SweepProgramme programme = programmeOf(measured);
    if (every > 1) {
        programme.eStep = meantStep(programme.eStep * static_cast<double>(every));
        programme.meanStep = false;
    }
    if (bare)
        programme.eStep = bareStep(curve, programme);
    programme = roundedProgramme(programme, potentialDecimals(curve.potential));
    // The header's quiet time, else the hold at the start that the time column shows.
    const std::optional<double> statedQuiet = startsTheFile ? file.quietTime : std::nullopt;
    const double quietTime = statedQuiet     ? *statedQuiet
                             : holds.atStart ? wholeMilliseconds(holds.atStart->seconds)
                                             : 0;
    if (startsTheFile && file.initialPotential &&
        std::fabs(*file.initialPotential - programme.eStart) <= programme.eStep)
        programme.eStart = *file.initialPotential;
    const double sign = choice.reverseSign ? -1 : 1;
    const auto count = static_cast<int>(curve.potential.size());

    ExperimentState &state = app.state();
    CurveStore &store = app.store();
    allocateCurveSlot(state, app.control<CheckBox>("formOption", "overlap").checked());
    for (int i = 1; i <= count; ++i) {
        store.potential(i) = curve.potential[static_cast<std::size_t>(i - 1)];
        store.curves(i, state.simSlot) = sign * curve.current[static_cast<std::size_t>(i - 1)];
    }
    state.pointCount = count;
    state.firstPoint = 1;
    state.lastPoint = count;
    state.curveLabel[static_cast<std::size_t>(state.simSlot)] = curveLabelOf(file, curve);

    TextWindow &result = app.formResult();
    if (!bare)
        result.print(file.format + " file: " + curve.label);
    result.print(ReportLine().text("Number of data point = ").number(count));
    result.print(ReportLine().text("E step = ").number(programme.eStep));
    if (every > 1)
        result.print(thinningNote(measured.potential.size(), curve.potential.size(), every,
                                  sweepCount(measured.potential)));
    if (offScan > 0)
        result.print(std::to_string(offScan) + (offScan == 1 ? " point" : " points") +
                     " before the scan (a start-up or settling point) left out");
    reportHolds(result, holds, statedQuiet.has_value(), oneHold, vertexHold.has_value());
    if (choice.reverseSign)
        result.print("Current sign reversed: oxidation current is positive");
    if (bare || choice.setProgramme)
        primeParameters(app, programme, bare, quietTime, vertexHold.value_or(0));
    if (!bare && choice.setProgramme)
        reportProgramme(result, programme, quietTime, vertexHold.value_or(0));
}

} // namespace

std::string readRegularFile(const std::string &file) {
    // Without O_NONBLOCK opening a pipe would wait for a writer.
    FileHandle handle(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (handle.fd() < 0)
        throw RuntimeError("cannot open " + file + ": " + std::strerror(errno));
    struct stat status {};
    if (::fstat(handle.fd(), &status) != 0)
        throw RuntimeError("cannot read " + file + ": " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        throw RuntimeError(notRegular(file, status.st_mode));
    auto size = static_cast<std::uintmax_t>(status.st_size);
    if (size > kMaxImportBytes)
        throw RuntimeError(tooLarge(file, size));

    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(handle.fd(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw RuntimeError("cannot read " + file + ": " + std::strerror(errno));
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got); // a file that shrank while it was read
    return bytes;
}

MeasuredFile readImportFile(const std::string &file, const std::function<void(double)> &poll) {
    std::string bytes = readRegularFile(file);
    std::optional<MeasuredFile> measured = readInstrumentExport(bytes, poll);
    MeasuredFile read = measured ? std::move(*measured) : readBareFile(bytes);
    keepUsableCurves(read);
    read.source = std::filesystem::path(file).filename().string();
    return read;
}

void takeImportedCurve(Application &app, const MeasuredFile &file, const MeasuredCurve &measured,
                       ImportChoice choice) {
    const bool bare = file.format.empty();
    // A start-up or settling point before the scan is no part of the programme or the curve.
    const std::size_t offScan = bare ? 0 : pointsBeforeTheScan(measured.potential);
    MeasuredCurve steady = measured;
    auto cut = [offScan](std::vector<double> &values) {
        if (values.size() >= offScan)
            values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(offScan));
    };
    cut(steady.potential);
    cut(steady.current);
    if (steady.time.size() != measured.potential.size())
        steady.time.clear();
    cut(steady.time);
    // A hold the time column shows is one point of the curve at the start (the quiet time).
    // Holds of one length at every turning point are the programme's vertex hold, taken where
    // the import sets the programme: the hold's first and last points are the turning point's
    // two listings. Other holds at turning points are an instant of the programme (and said).
    const CurveHolds holds = bare ? CurveHolds{} : holdsOf(steady.potential, steady.time);
    const std::optional<double> common = commonVertexHold(holds);
    const std::optional<double> vertexHold = common && choice.setProgramme
                                                 ? std::optional<double>(wholeMilliseconds(*common))
                                                 : std::nullopt;
    if (holds.atStart || !holds.atTurns.empty())
        steady = withoutHolds(steady, holds, vertexHold.has_value());
    // The header's E initial and quiet time belong to a curve that starts the file.
    const bool startsTheFile =
        !file.curves.empty() && !file.curves.front().potential.empty() &&
        measured.potential.front() == file.curves.front().potential.front() &&
        measured.current.front() == file.curves.front().current.front();
    takeSteadyCurve(app, file, steady, choice, offScan, startsTheFile, holds, vertexHold);
}

void finishImport(Application &app) {
    app.measured.reset(); // the next fit takes the imported curve as its measured curve
    app.refreshPlot();
    app.formResult().show();
    app.mainWindow().enableDisplayAndAnalysis();
}

} // namespace kemvo
