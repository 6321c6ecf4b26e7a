// Another program of the build run as a separate process, as a host or the
// operator would start it: in a folder of the test, its standard output and
// error in files there, ended when it runs past a bound.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

struct ProgramRun {
    bool finished = false;  // false: ended at the bound
    DWORD exitCode = 0;
    std::string out;
    std::string err;
    ULONGLONG milliseconds = 0;
};

// The folder of this program, ending in a backslash.
std::string programFolder();

// One argument quoted for the command line, as the C runtime splits it.
std::string quotedArgument(const std::string& argument);

// Runs the program (a path) with the arguments in the folder.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments, const TempFolder& folder,
                      DWORD bound);

// PelkSim.exe, beside this program, with the arguments in the folder.
using SimulatorRun = ProgramRun;
constexpr DWORD kSimulatorRunBound = 90000;
SimulatorRun runSimulator(const std::vector<std::string>& arguments, const TempFolder& folder,
                          DWORD bound = kSimulatorRunBound);

// The expected lines appear in this order (other lines may come between).
::testing::AssertionResult containsInOrder(const std::string& text, const std::vector<std::string>& expected);
