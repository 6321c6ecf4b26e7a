// Runs a program and writes the most memory it held (its largest resident
// set, in kilobytes) to a file. A process forked from a large one, such as a
// test program, starts with that one's pages counted in its peak whatever
// it runs next; started from this small process, the figure is the
// program's own.
//   peak_memory_runner KILOBYTES_FILE PROGRAM [ARGUMENT...]
// The exit code is the program's (127 when it cannot be run).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        return 127;
    }
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        return 127;
    }
    if (std::FILE* file = std::fopen(argv[1], "w")) {
        std::fprintf(file, "%ld\n", usage.ru_maxrss);
        std::fclose(file);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
