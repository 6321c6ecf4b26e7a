#include "torv_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/files.h"

ProgramRun TorvProgram::torv(const std::vector<std::string>& arguments, bool keepOutput) {
    const std::string peak = folder.file("peak.txt");
    std::vector<std::string> words = {PEAK_MEMORY_RUNNER, peak, TORV_PROGRAM};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string out = keepOutput ? folder.file("out.txt") : "/dev/null";
    const std::string err = folder.file("err.txt");
    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(folder.path().c_str()) != 0 || in < 0 || outFile < 0 || errFile < 0 || dup2(in, 0) < 0 ||
            dup2(outFile, 1) < 0 || dup2(errFile, 2) < 0) {
            _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProgramRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child) {
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakKilobytes = std::atol(readFile(peak).c_str());
    }
    run.out = keepOutput ? readFile(out) : std::string();
    run.err = readFile(err);
    return run;
}

std::string TorvProgram::sample() const {
    return testDataPath("../examples/torv-sample.adi");
}
