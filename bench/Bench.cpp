// zorvat-bench: what one frame of each screen costs against the least any frame can cost, the
// time from process start to the first frame, and the memory the game holds. See README.md.
#include <SDL.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Measure.h"
#include "app/Current.h"
#include "app/Program.h"
#include "match/Ball.h"
#include "match/Game.h"
#include "settings/Settings.h"

namespace {

struct Config {
    bool json = false;
    double seconds = 2.0; // measured time per screen and display mode
    int rounds = 10;      // each mode's measurements are interleaved in this many rounds
    int startupRuns = 15;
    int changes = 10000;
    std::string data;
};

struct Screen {
    const char* key;
    const char* title;
    StateId id;
    double target; // the most this screen should cost, in floors
};
const Screen Screens[] = {
    {"menu", "main menu", StateMainMenu, 1.3},
    {"options", "options", StateOptions, 1.3},
    {"credits", "credits", StateCredits, 1.3},
    {"match", "match in play", StateSinglePlayer, 1.5},
    {"over", "match over", StateSinglePlayer, 3.0},
};
const int ScreenCount = sizeof(Screens) / sizeof(Screens[0]);

struct Mode {
    const char* key;
    const char* title;
    int fullHd;
    int width;
    int height;
};
const Mode Modes[] = {{"scaled", "Scaled: 1280x720 window", 0, 1280, 720},
                      {"fullhd", "Full HD: 1920x1080 full screen", 1, 1920, 1080}};
const int ModeCount = sizeof(Modes) / sizeof(Modes[0]);

const int WarmUpFrames = 5;
const int MinFrames = 20;
const double StartupTargetMs = 30;
const double PeakTargetMb = 40;
const double GrowthTargetMb = 1;

struct Memory {
    long peakKb = -1;
    long beforeKb = -1;
    long afterKb = -1;
};

// The wall time of frames, and the processor time of the thread that ran them: the second
// hardly moves when other programs compete for the processor.
struct Samples {
    std::vector<double> wall;
    std::vector<double> cpu;
    long faults = 0; // page faults over all the frames
};

struct FrameCost {
    Summary wall;
    Summary cpu;
    double faultsPerFrame = 0;
};

FrameCost CostOf(const Samples& samples) {
    FrameCost cost;
    cost.wall = Summarise(samples.wall);
    cost.cpu = Summarise(samples.cpu);
    cost.faultsPerFrame =
        samples.wall.empty() ? 0 : static_cast<double>(samples.faults) / samples.wall.size();
    return cost;
}

struct ModeResult {
    FrameCost floor;
    FrameCost screens[ScreenCount];
    Summary startup;
    double startupMin = 0;
    double startupMax = 0;
    Summary startupCpu;
    Summary startupFaults;
    Memory memory;
};

std::string workDir;

void RemoveWorkDir() {
    if (workDir.empty()) {
        return;
    }
    unlink((workDir + "/Settings.zorvat").c_str());
    unlink((workDir + "/Data").c_str());
    rmdir(workDir.c_str());
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "zorvat-bench: %s\n", what.c_str());
    std::exit(1);
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string SelfPath() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        Fail("cannot find my own executable");
    }
    path[length] = '\0';
    return path;
}

// The Data folder of the build: the one named at build time, else one beside the executable.
std::string DefaultData() {
    std::string self = SelfPath();
    std::string dir = self.substr(0, self.rfind('/'));
    const std::string candidates[] = {ZORVAT_BENCH_DATA, dir + "/Data", dir + "/../Data"};
    for (const std::string& candidate : candidates) {
        if (Exists(candidate + "/Original/Menu/Menu.bmp")) {
            return candidate;
        }
    }
    return ZORVAT_BENCH_DATA;
}

// Moves into a fresh temporary folder that holds a link to the Data folder and nothing else.
void EnterWorkDir(const std::string& data) {
    char absolute[PATH_MAX];
    if (!realpath(data.c_str(), absolute)) {
        Fail("no Data folder at " + data + ": build the targets art and font first");
    }
    const std::string needed[] = {"/Original/Menu/Menu.bmp", "/Skaliert/Menu/Menu.bmp",
                                  "/DejaVuSansMono.ttf"};
    for (const std::string& file : needed) {
        if (!Exists(absolute + file)) {
            Fail(std::string("no ") + absolute + file + ": build the targets art and font first");
        }
    }
    char pattern[] = "/tmp/zorvat-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        Fail("cannot make a temporary folder");
    }
    workDir = pattern;
    std::atexit(RemoveWorkDir);
    if (symlink(absolute, (workDir + "/Data").c_str()) != 0 || chdir(workDir.c_str()) != 0) {
        Fail("cannot prepare " + workDir);
    }
}

void SaveDisplayMode(int fullHd) {
    CSettings settings;
    settings.level = 2;
    settings.fullHd = static_cast<uint8_t>(fullHd);
    settings.Save();
}

// Starts the game afresh in a display mode, as the program does, with the main menu in place.
void OpenMode(const Mode& mode) {
    current* manager = current::GetInstance();
    delete manager->state;
    manager->state = nullptr;
    SDL_Quit();
    SaveDisplayMode(mode.fullHd);
    if (!CProgram::Start()) {
        Fail(std::string("cannot start in the mode ") + mode.title + ": " + SDL_GetError());
    }
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen || screen->w != mode.width || screen->h != mode.height) {
        Fail(std::string("the display refused the mode ") + mode.title);
    }
}

void HoldArrows(bool up, bool down) {
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[SDLK_UP] = up ? 1 : 0;
    keys[SDLK_DOWN] = down ? 1 : 0;
}

CGame* Match() {
    CGame* game = dynamic_cast<CGame*>(current::GetInstance()->state);
    if (!game) {
        Fail("no match in place");
    }
    return game;
}

// Puts a state in place the way the frame loop does, with no input left over.
void Install(StateId id) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    SetNextState(id);
    ChangeState();
    if (current::GetInstance()->stateID != id || !current::GetInstance()->state) {
        Fail("the state manager did not install the state to measure");
    }
}

// Runs passes of the frame loop for at least `seconds` and MinFrames, timing each one;
// `after` runs after every pass, outside the timing.
void TimePasses(Samples& samples, double seconds, const std::function<void(int)>& after) {
    for (int frame = 0; frame < WarmUpFrames; ++frame) {
        if (CProgram::Pass() != -1) {
            Fail("the frame loop ended while warming up");
        }
        after(frame);
    }
    long faults = ThreadPageFaults();
    double end = NowMs() + seconds * 1000;
    for (int frame = 0; frame < MinFrames || NowMs() < end; ++frame) {
        double start = NowMs();
        double startCpu = ThreadCpuMs();
        int status = CProgram::Pass();
        samples.cpu.push_back(ThreadCpuMs() - startCpu);
        samples.wall.push_back(NowMs() - start);
        if (status != -1) {
            Fail("the frame loop ended during a measurement");
        }
        after(WarmUpFrames + frame);
    }
    samples.faults += ThreadPageFaults() - faults;
}

// The least a frame can cost: clear the screen, blit one picture of its size and format, flip.
void TimeFloor(Samples& samples, SDL_Surface* picture, double seconds) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    long faults = ThreadPageFaults();
    double end = NowMs() + seconds * 1000;
    for (int frame = 0; frame < MinFrames || NowMs() < end; ++frame) {
        double start = NowMs();
        double startCpu = ThreadCpuMs();
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
        SDL_Rect at = {0, 0, 0, 0};
        SDL_BlitSurface(picture, nullptr, screen, &at);
        int status = CProgram::flip(screen);
        samples.cpu.push_back(ThreadCpuMs() - startCpu);
        samples.wall.push_back(NowMs() - start);
        if (status == -1) {
            Fail("SDL_Flip failed");
        }
    }
    samples.faults += ThreadPageFaults() - faults;
}

// A 32-bit picture of the screen's size and pixel format, with something in it.
SDL_Surface* MakeFloorPicture() {
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_PixelFormat* format = screen->format;
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, 32, format->Rmask, format->Gmask,
                             format->Bmask, format->Amask);
    if (!picture) {
        Fail("cannot make the floor's picture");
    }
    SDL_LockSurface(picture);
    for (int y = 0; y < picture->h; ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(picture->pixels) + y * picture->pitch);
        for (int x = 0; x < picture->w; ++x) {
            row[x] = SDL_MapRGB(picture->format, x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
        }
    }
    SDL_UnlockSurface(picture);
    return picture;
}

void MeasureScreen(const Screen& screen, double seconds, Samples& samples) {
    Install(screen.id);
    std::function<void(int)> after = [&screen](int) {
        if (current::GetInstance()->stateID != screen.id) {
            Fail(std::string("the ") + screen.title + " left its state during the measurement");
        }
    };
    if (std::strcmp(screen.key, "match") == 0) {
        // The left paddle runs up and down under the arrow keys, the computer plays the right
        // one; the scores go back to 0 long before 10, so that every frame is one of play.
        after = [](int frame) {
            CGame* game = Match();
            if (game->matchOver || !game->ball->active) {
                Fail("the match stopped during the measurement of play");
            }
            if (game->leftScore >= 5 || game->rightScore >= 5) {
                game->leftScore = 0;
                game->rightScore = 0;
            }
            bool up = (frame / 60) % 2 == 0;
            HoldArrows(up, !up);
        };
    } else if (std::strcmp(screen.key, "over") == 0) {
        // The next update finds the score at 10: the match is over and shows its result.
        Match()->leftScore = 10;
        after = [](int) {
            if (!Match()->matchOver) {
                Fail("the match did not end at 10 points");
            }
        };
    }
    TimePasses(samples, seconds, after);
    HoldArrows(false, false);
}

void MeasureFrames(const Mode& mode, const Config& config, ModeResult& result) {
    OpenMode(mode);
    SDL_Surface* picture = MakeFloorPicture();
    Samples floor;
    Samples screens[ScreenCount];
    // Short slices, each screen's right after one of the floor, in many rounds: whatever else
    // the machine does then weighs on the floor and on every screen alike.
    double slice = config.seconds / config.rounds;
    for (int round = 0; round < config.rounds; ++round) {
        for (int i = 0; i < ScreenCount; ++i) {
            TimeFloor(floor, picture, slice / ScreenCount);
            MeasureScreen(Screens[i], slice, screens[i]);
        }
    }
    SDL_FreeSurface(picture);
    result.floor = CostOf(floor);
    for (int i = 0; i < ScreenCount; ++i) {
        result.screens[i] = CostOf(screens[i]);
    }
}

double Milliseconds(const timeval& time) {
    return time.tv_sec * 1000.0 + time.tv_usec / 1000.0;
}

// What the machine does to any program: the cost of the first touch of a fresh page of
// memory (start-up, much of it, is the first touch of the screen and the pictures), and the
// wall time that a fixed 3 ms of processor work takes (a virtual machine whose host lends
// the processor elsewhere stretches longer frames far more than short ones).
struct Machine {
    double pageFaultCpuUs = 0;
    double pageFaultWallUs = 0;
    double busyWallMs = 0;
};

const double BusyCpuMs = 3;

Machine MeasureMachine() {
    Machine machine;
    std::vector<double> busy;
    volatile double sink = 0;
    for (int run = 0; run < 50; ++run) {
        double start = NowMs();
        double startCpu = ThreadCpuMs();
        while (ThreadCpuMs() - startCpu < BusyCpuMs) {
            for (int i = 0; i < 1000; ++i) {
                sink = sink + i;
            }
        }
        busy.push_back(NowMs() - start);
    }
    machine.busyWallMs = Summarise(busy).median;

    const size_t size = 32 << 20;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return machine;
    }
    rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    double start = NowMs();
    std::memset(memory, 1, size);
    double wall = NowMs() - start;
    getrusage(RUSAGE_SELF, &after);
    munmap(memory, size);
    double cpu = Milliseconds(after.ru_utime) - Milliseconds(before.ru_utime) +
                 Milliseconds(after.ru_stime) - Milliseconds(before.ru_stime);
    long faults = after.ru_minflt - before.ru_minflt;
    if (faults > 0) {
        machine.pageFaultCpuUs = cpu * 1000 / faults;
        machine.pageFaultWallUs = wall * 1000 / faults;
    }
    return machine;
}

// Runs this program again in a child process with `arguments` and returns what it printed;
// `forkedAt` receives the time at which the child process came into being, `usage` what the
// child used.
std::string RunChild(const std::vector<std::string>& arguments, double* forkedAt, rusage* usage) {
    std::string self = SelfPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(self.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        Fail("cannot make a pipe");
    }
    std::fflush(stdout);
    std::fflush(stderr);
    *forkedAt = NowMs();
    pid_t child = fork();
    if (child < 0) {
        Fail("cannot start a child process");
    }
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(self.c_str(), argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[256];
    ssize_t count;
    while ((count = read(pipeEnds[0], buffer, sizeof(buffer))) > 0) {
        output.append(buffer, static_cast<size_t>(count));
    }
    close(pipeEnds[0]);
    int status = 0;
    wait4(child, &status, 0, usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail("the child process " + arguments[0] + " failed");
    }
    return output;
}

void MeasureStartup(const Config& config, ModeResult& result) {
    std::vector<double> samples, cpu, faults;
    for (int run = 0; run < config.startupRuns; ++run) {
        double forkedAt = 0;
        rusage usage;
        std::string output = RunChild({"--startup-child"}, &forkedAt, &usage);
        samples.push_back(std::atof(output.c_str()) - forkedAt);
        cpu.push_back(Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime));
        faults.push_back(static_cast<double>(usage.ru_minflt + usage.ru_majflt));
    }
    result.startup = Summarise(samples);
    result.startupCpu = Summarise(cpu);
    result.startupFaults = Summarise(faults);
    result.startupMin = *std::min_element(samples.begin(), samples.end());
    result.startupMax = *std::max_element(samples.begin(), samples.end());
}

void MeasureMemory(const Config& config, ModeResult& result) {
    double forkedAt = 0;
    rusage usage;
    std::string output =
        RunChild({"--memory-child", std::to_string(config.changes)}, &forkedAt, &usage);
    Memory& memory = result.memory;
    if (std::sscanf(output.c_str(), "%ld %ld %ld", &memory.peakKb, &memory.beforeKb,
                    &memory.afterKb) != 3) {
        Fail("the memory child printed no figures");
    }
}

double FlipTime = -1;

int RecordingFlip(SDL_Surface* screen) {
    int status = SDL_Flip(screen);
    if (FlipTime < 0) {
        FlipTime = NowMs();
    }
    return status;
}

// In a fresh process: starts the game as its main does, runs the first pass of the frame loop
// and prints the time at which its flip returned.
int StartupChild() {
    CProgram::flip = RecordingFlip;
    if (!CProgram::Start() || CProgram::Pass() != -1) {
        return 2;
    }
    std::printf("%.6f\n", FlipTime);
    return 0;
}

// Puts a state in place through the frame loop; a match is also brought to its end and its
// result drawn once.
bool ChangeTo(StateId id, int resultSide) {
    SetNextState(id);
    if (CProgram::Pass() != -1 || current::GetInstance()->stateID != id) {
        return false;
    }
    if (id == StateSinglePlayer || id == StateMultiPlayer) {
        CGame* game = dynamic_cast<CGame*>(current::GetInstance()->state);
        if (!game) {
            return false;
        }
        (resultSide == 0 ? game->leftScore : game->rightScore) = 10;
        if (CProgram::Pass() != -1 || !game->matchOver) {
            return false;
        }
    }
    return true;
}

// In a fresh process: resident memory before and after `changes` changes of state that
// cycle through every state, after one cycle to warm up; prints peak, before and after in kB.
int MemoryChild(int changes) {
    static const StateId cycle[] = {StateOptions,     StateMainMenu,     StateCredits,
                                    StateMainMenu,    StateSinglePlayer, StateMainMenu,
                                    StateMultiPlayer, StateMainMenu};
    const int cycleLength = sizeof(cycle) / sizeof(cycle[0]);
    if (!CProgram::Start()) {
        return 2;
    }
    for (int i = 0; i < cycleLength; ++i) {
        if (!ChangeTo(cycle[i], i % 2)) {
            return 3;
        }
    }
    long before = OwnStatusKb("VmRSS");
    for (int i = 0; i < changes; ++i) {
        if (!ChangeTo(cycle[i % cycleLength], (i / cycleLength) % 2)) {
            return 3;
        }
    }
    long after = OwnStatusKb("VmRSS");
    long peak = OwnStatusKb("VmHWM");
    if (before < 0 || after < 0 || peak < 0) {
        return 4; // no figures in /proc/self/status
    }
    std::printf("%ld %ld %ld\n", peak, before, after);
    return 0;
}

double Mb(long kb) {
    return kb / 1024.0;
}

double Ratio(const Summary& screen, const Summary& floor) {
    return floor.median > 0 ? screen.median / floor.median : 0;
}

double MeanRatio(const Summary& screen, const Summary& floor) {
    return floor.mean > 0 ? screen.mean / floor.mean : 0;
}

void PrintTable(const ModeResult results[], const Machine& machine) {
    std::printf("On this machine a first touch of a page of memory costs %.2f us of processor "
                "time and %.2f us of wall time,\nand %.0f ms of processor work take %.2f ms of "
                "wall time (median).\n\n",
                machine.pageFaultCpuUs, machine.pageFaultWallUs, BusyCpuMs, machine.busyWallMs);
    for (int m = 0; m < ModeCount; ++m) {
        const ModeResult& r = results[m];
        std::printf("%s\n", Modes[m].title);
        std::printf("  %-14s %9s %9s %7s %8s %7s %7s %7s %7s\n", "frame", "median ms", "mean ms",
                    "x floor", "target", "cpu ms", "x floor", "faults", "frames");
        const FrameCost& floor = r.floor;
        std::printf("  %-14s %9.3f %9.3f %7.2f %8s %7.3f %7.2f %7.1f %7zu\n", "floor",
                    floor.wall.median, floor.wall.mean, 1.0, "", floor.cpu.median, 1.0,
                    floor.faultsPerFrame, floor.wall.count);
        for (int i = 0; i < ScreenCount; ++i) {
            const FrameCost& s = r.screens[i];
            double ratio = Ratio(s.wall, floor.wall);
            std::printf("  %-14s %9.3f %9.3f %7.2f %5s%.1f %7.3f %7.2f %7.1f %7zu%s\n",
                        Screens[i].title, s.wall.median, s.wall.mean, ratio,
                        "<= ", Screens[i].target, s.cpu.median, Ratio(s.cpu, floor.cpu),
                        s.faultsPerFrame, s.wall.count,
                        ratio <= Screens[i].target ? "" : "  MISSED");
        }
        std::printf("  start-up to first flip: %.1f ms (median of %zu runs, %.1f to %.1f), "
                    "target < %.0f ms%s\n",
                    r.startup.median, r.startup.count, r.startupMin, r.startupMax, StartupTargetMs,
                    r.startup.median < StartupTargetMs ? "" : "  MISSED");
        std::printf("    processor time %.1f ms, %.0f page faults\n", r.startupCpu.median,
                    r.startupFaults.median);
        const Memory& memory = r.memory;
        double growth = Mb(memory.afterKb - memory.beforeKb);
        std::printf("  resident memory: peak %.1f MB; %.2f MB before and %.2f MB after the "
                    "state changes (%+.2f MB)%s\n\n",
                    Mb(memory.peakKb), Mb(memory.beforeKb), Mb(memory.afterKb), growth,
                    growth < GrowthTargetMb ? "" : "  MISSED");
    }
}

void PrintJson(const ModeResult results[], const Config& config, const Machine& machine) {
    long peakKb = 0;
    long growthKb = LONG_MIN;
    std::printf("{");
    for (int m = 0; m < ModeCount; ++m) {
        const ModeResult& r = results[m];
        const FrameCost& floor = r.floor;
        std::printf("\"%s\": {\"width\": %d, \"height\": %d, \"floor_ms\": %.4f, "
                    "\"floor_mean_ms\": %.4f, \"floor_cpu_ms\": %.4f, \"floor_frames\": %zu, "
                    "\"states\": {",
                    Modes[m].key, Modes[m].width, Modes[m].height, floor.wall.median,
                    floor.wall.mean, floor.cpu.median, floor.wall.count);
        for (int i = 0; i < ScreenCount; ++i) {
            const FrameCost& s = r.screens[i];
            std::printf("%s\"%s\": {\"median_ms\": %.4f, \"mean_ms\": %.4f, \"ratio\": %.3f, "
                        "\"mean_ratio\": %.3f, \"cpu_median_ms\": %.4f, \"cpu_ratio\": %.3f, "
                        "\"faults_per_frame\": %.2f, \"frames\": %zu}",
                        i ? ", " : "", Screens[i].key, s.wall.median, s.wall.mean,
                        Ratio(s.wall, floor.wall), MeanRatio(s.wall, floor.wall), s.cpu.median,
                        Ratio(s.cpu, floor.cpu), s.faultsPerFrame, s.wall.count);
        }
        const Memory& memory = r.memory;
        std::printf("}, \"startup_ms\": %.3f, \"startup_runs\": %zu, \"startup_cpu_ms\": %.3f, "
                    "\"startup_page_faults\": %.0f, \"peak_rss_mb\": %.2f, "
                    "\"rss_before_mb\": %.2f, \"rss_after_mb\": %.2f, \"rss_growth_mb\": %.3f}, ",
                    r.startup.median, r.startup.count, r.startupCpu.median, r.startupFaults.median,
                    Mb(memory.peakKb), Mb(memory.beforeKb), Mb(memory.afterKb),
                    Mb(memory.afterKb - memory.beforeKb));
        peakKb = std::max(peakKb, memory.peakKb);
        growthKb = std::max(growthKb, memory.afterKb - memory.beforeKb);
    }
    std::printf(
        "\"peak_rss_mb\": %.2f, \"rss_growth_mb\": %.3f, \"state_changes\": %d, "
        "\"page_fault_us\": %.3f, \"page_fault_wall_us\": %.3f, \"busy_3ms_wall_ms\": %.3f}\n",
        Mb(peakKb), Mb(growthKb), config.changes, machine.pageFaultCpuUs, machine.pageFaultWallUs,
        machine.busyWallMs);
}

[[noreturn]] void Usage(int status) {
    std::fprintf(
        status ? stderr : stdout,
        "usage: zorvat-bench [--json] [--quick] [--seconds S] [--rounds N] [--changes N]\n"
        "                    [--startup-runs N] [--data DIR]\n"
        "  --json          print one JSON object instead of the tables\n"
        "  --quick         a short run that checks the bench works (figures are rough)\n"
        "  --seconds S     measured time per screen and display mode (default 2)\n"
        "  --rounds N      rounds the measurements of a mode are spread over (default 10)\n"
        "  --changes N     state changes of the memory measurement (default 10000)\n"
        "  --startup-runs N  start-ups per display mode (default 15)\n"
        "  --data DIR      the Data folder to play on (default: the build's)\n");
    std::exit(status);
}

Config ParseArguments(int argc, char** argv) {
    Config config;
    config.data = DefaultData();
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--json") {
            config.json = true;
        } else if (argument == "--quick") {
            config.seconds = 0.3;
            config.rounds = 2;
            config.startupRuns = 3;
            config.changes = 200;
        } else if (argument == "--seconds" && hasValue) {
            config.seconds = std::atof(argv[++i]);
        } else if (argument == "--rounds" && hasValue) {
            config.rounds = std::atoi(argv[++i]);
        } else if (argument == "--changes" && hasValue) {
            config.changes = std::atoi(argv[++i]);
        } else if (argument == "--startup-runs" && hasValue) {
            config.startupRuns = std::atoi(argv[++i]);
        } else if (argument == "--data" && hasValue) {
            config.data = argv[++i];
        } else if (argument == "--help" || argument == "-h") {
            Usage(0);
        } else {
            Usage(2);
        }
    }
    if (config.seconds <= 0 || config.rounds < 1 || config.changes < 0 || config.startupRuns < 1) {
        Usage(2);
    }
    return config;
}

} // namespace

int main(int argc, char** argv) {
    // Headless unless told otherwise; the children inherit the choice.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (argc == 2 && std::strcmp(argv[1], "--startup-child") == 0) {
        return StartupChild();
    }
    if (argc == 3 && std::strcmp(argv[1], "--memory-child") == 0) {
        return MemoryChild(std::atoi(argv[2]));
    }

    Config config = ParseArguments(argc, argv);
    EnterWorkDir(config.data);
    Machine machine = MeasureMachine();
    ModeResult results[ModeCount];
    for (int m = 0; m < ModeCount; ++m) {
        MeasureFrames(Modes[m], config, results[m]);
    }
    delete current::GetInstance()->state;
    current::GetInstance()->state = nullptr;
    SDL_Quit();

    // Start-up and memory are measured in fresh processes, one display mode after the other.
    for (int m = 0; m < ModeCount; ++m) {
        SaveDisplayMode(Modes[m].fullHd);
        MeasureStartup(config, results[m]);
        MeasureMemory(config, results[m]);
    }
    if (config.json) {
        PrintJson(results, config, machine);
    } else {
        PrintTable(results, machine);
    }
    return 0;
}
