// The torv program run as a user runs it, in a folder of its own: exit
// code, standard output and error, and the most memory it held.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    long peakKilobytes = 0;  // the largest resident set of the run
};

class TorvProgram : public ::testing::Test {
protected:
    TempFolder folder;

    // Runs torv in the folder with the arguments, standard input empty;
    // a run is bounded by the test's timeout. Standard output goes to
    // out.txt in the folder, or nowhere (/dev/null) when asked; standard
    // error to err.txt, its peak memory to peak.txt.
    ProgramRun torv(const std::vector<std::string>& arguments, bool keepOutput = true);

    std::string sample() const;
};
