#include "torv_program.h"

#include <cstdlib>

#include "support/child_process.h"
#include "support/files.h"

ProgramRun TorvProgram::torv(const std::vector<std::string>& arguments, bool keepOutput) {
    const std::string peak = folder.file("peak.txt");
    std::vector<std::string> words = {PEAK_MEMORY_RUNNER, peak, TORV_PROGRAM};
    words.insert(words.end(), arguments.begin(), arguments.end());
    ChildStreams streams;
    streams.folder = folder.path().string();
    streams.out = keepOutput ? folder.file("out.txt") : "/dev/null";
    streams.err = folder.file("err.txt");
    ProgramRun run;
    if (const ChildExit exit = runChild(words, streams); exit.ran) {
        run.exitCode = exit.exitCode;
        run.peakKilobytes = std::atol(readFile(peak).c_str());
    }
    run.out = keepOutput ? readFile(streams.out) : std::string();
    run.err = readFile(streams.err);
    return run;
}

std::string TorvProgram::sample() const {
    return testDataPath("../examples/torv-sample.adi");
}
