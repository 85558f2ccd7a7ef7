// Running a shell command line and reading its standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testing_support {

struct ShellRun {
    int status = -1;  // -1 when the command did not exit on its own
    std::string out;
};

inline ShellRun run_shell(const std::string& command) {
    ShellRun r;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int w = pclose(p);
    r.status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    return r;
}

}  // namespace testing_support
