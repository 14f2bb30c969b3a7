// The desktop application's speed, under Xvfb: the time from the process start to the first
// report painted (started without the splash, whose 900 ms are a floor, not work), and one full
// repaint of a level. Each run starts the program with a scratch home and reads the timings it
// prints on standard error.
//   bench_app [RUNS]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double startMs = -1;
    double drawMs = -1;   // the drawing of the report, off the screen
    double paintMs = -1;  // the paint handler of the window, on the screen
};

// One start of the program; false when it did not report both timings.
bool TimeOneRun(const std::string& home, Run& run) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);

    std::vector<std::string> env{"HOME=" + home};
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "HOME=", 5) != 0 && std::strncmp(*e, "XDG_", 4) != 0)
            env.push_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = TARVELLA_BENCH_APP;
    std::string noSplash = "--no-splash", timing = "--timing";
    char* argv[] = {program.data(), noSplash.data(), timing.data(), nullptr};

    const auto begin = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return false;
    }
    FILE* messages = fdopen(pipeFds[0], "r");
    char line[512];
    while (std::fgets(line, sizeof line, messages)) {
        double a = 0, b = 0;
        if (std::sscanf(line, "tarvella-timing painted %lf", &a) == 1) {
            run.startMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                    .count();
        } else if (std::sscanf(line, "tarvella-timing repaint %lf %lf", &a, &b) == 2) {
            run.drawMs = a;
            run.paintMs = b;
        }
    }
    std::fclose(messages);
    int status = 0;
    waitpid(pid, &status, 0);
    return run.startMs >= 0 && run.drawMs >= 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    // Always on a fresh X server of its own, so that figures compare between machines.
    if (argc < 2 || std::strcmp(argv[1], "--under-xvfb") != 0) {
        std::vector<char*> args{const_cast<char*>("xvfb-run"),
                                const_cast<char*>("-a"),
                                const_cast<char*>("-s"),
                                const_cast<char*>("-screen 0 1280x1024x24"),
                                argv[0],
                                const_cast<char*>("--under-xvfb")};
        for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
        std::perror("bench_app: xvfb-run");
        return 1;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    char scratch[] = "/tmp/tarvella-bench-XXXXXX";
    if (!mkdtemp(scratch)) return 1;

    std::printf("Desktop application under Xvfb, %d runs, medians (goal in brackets):\n", runs);
    // The same runs at the report's own size and at the largest zoom.
    for (const int zoom : {100, 300}) {
        {
            const std::filesystem::path config = std::filesystem::path(scratch) / ".config";
            std::filesystem::create_directories(config);
            std::ofstream(config / "tarvella.conf") << "[View]\nZoom=" << zoom << "\n";
        }
        std::vector<double> start, draw, paint;
        // The first run writes the data files and warms the caches; it is not counted.
        for (int i = 0; i <= runs; ++i) {
            Run run;
            if (!TimeOneRun(scratch, run)) {
                std::fprintf(stderr, "bench_app: run %d gave no timings\n", i);
                std::filesystem::remove_all(scratch);
                return 1;
            }
            if (i == 0) continue;
            start.push_back(run.startMs);
            draw.push_back(run.drawMs);
            if (run.paintMs > 0) paint.push_back(run.paintMs);
        }
        std::printf("At %d%%:\n", zoom);
        std::printf(
            "  process start to first report painted  %7.1f ms  (min %.1f, max %.1f) [500 ms]\n",
            Median(start), *std::min_element(start.begin(), start.end()),
            *std::max_element(start.begin(), start.end()));
        std::printf("  one full repaint of a level, drawing   %7.2f ms  [10 ms]\n", Median(draw));
        if (!paint.empty()) {
            std::printf("  the same through the window's paint     %7.2f ms  [10 ms]\n",
                        Median(paint));
        }
    }
    std::filesystem::remove_all(scratch);
    return 0;
}
