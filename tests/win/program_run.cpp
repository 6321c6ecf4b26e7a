#include "win/program_run.h"

#include <sstream>

#include "support/files.h"
#include "win/scoped_win.h"

using torv::win::ScopedHandle;

namespace {

ScopedHandle inheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ScopedHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::string programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string quotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments, const TempFolder& folder,
                      DWORD bound) {
    std::string commandLine = quotedArgument(program);
    for (const std::string& argument : arguments) {
        commandLine += " " + quotedArgument(argument);
    }
    ProgramRun run;
    const std::string name = program.substr(program.find_last_of("\\/") + 1);
    ScopedHandle out = inheritableFile(folder.file(name + ".out"));
    ScopedHandle err = inheritableFile(folder.file(name + ".err"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION process{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                        folder.path().string().c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << program << ": error " << GetLastError();
        return run;
    }
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    out.reset();
    err.reset();
    run.finished = WaitForSingleObject(processHandle.get(), bound) == WAIT_OBJECT_0;
    if (!run.finished) {
        TerminateProcess(processHandle.get(), 99);
        WaitForSingleObject(processHandle.get(), 5000);
    }
    run.milliseconds = GetTickCount64() - start;
    GetExitCodeProcess(processHandle.get(), &run.exitCode);
    run.out = readFile(folder.file(name + ".out"));
    run.err = readFile(folder.file(name + ".err"));
    return run;
}

SimulatorRun runSimulator(const std::vector<std::string>& arguments, const TempFolder& folder, DWORD bound) {
    return runProgram(programFolder() + "PelkSim.exe", arguments, folder, bound);
}

::testing::AssertionResult containsInOrder(const std::string& text, const std::vector<std::string>& expected) {
    const std::vector<std::string> lines = linesOf(text);
    size_t next = 0;
    for (const std::string& line : lines) {
        if (next < expected.size() && line == expected[next]) {
            ++next;
        }
    }
    if (next == expected.size()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "line not found in order: \"" << expected[next] << "\" in\n" << text;
}
