// tundrix-manpage: writes the manual page of one program from the program's
// own --help (and that of every subcommand it lists, nested ones too) and a
// hand-written page around it; packaging/ManPage.h says how they combine.
//   tundrix-manpage PROGRAM NAME PAGE OUTPUT [KEY=VALUE...]
// PROGRAM runs with NAME as its argv[0], so that its usage lines name it as
// installed; each @KEY@ of the page becomes its VALUE. Exit status 0, or 1
// with the cause on standard error.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "packaging/ManPage.h"

namespace {

constexpr std::size_t MaxHelpBytes = std::size_t{1024} * 1024;
constexpr int MaxDepth = 4;
constexpr std::size_t MaxSubcommands = 500;
constexpr auto HelpTimeLimit = std::chrono::seconds(20);

// The standard output of `program args...` (argv[0] = name); false, with the
// cause in `error`, unless it exits 0 within the time limit.
bool RunHelp(const std::string& program, const std::string& name,
             const std::vector<std::string>& args, std::string& out, std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<char*> argv{const_cast<char*>(name.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, STDIN_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);

    const auto deadline = std::chrono::steady_clock::now() + HelpTimeLimit;
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{pipeFds[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) == 0) {
            timedOut = true;
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > MaxHelpBytes) {
            timedOut = true;
            break;
        }
    }
    ::close(pipeFds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    std::string command = name;
    for (const std::string& arg : args)
        command += " " + arg;
    if (timedOut) {
        error = command + ": no end of its help within the limits";
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = command + ": did not exit with status 0";
        return false;
    }
    if (out.empty()) {
        error = command + ": printed nothing";
        return false;
    }
    return true;
}

// Every subcommand below `words`, depth first, each by its whole path.
bool CollectSubcommands(const std::string& program, const std::string& name,
                        const std::vector<std::string>& words, const HelpText& help,
                        std::vector<SubcommandHelp>& found, std::string& error) {
    for (const std::string& sub : SubcommandNames(help)) {
        std::vector<std::string> path = words;
        path.push_back(sub);
        if (path.size() > MaxDepth || found.size() >= MaxSubcommands) {
            error = "subcommands nested deeper or more numerous than a page can hold";
            return false;
        }
        std::vector<std::string> args = path;
        args.emplace_back("--help");
        std::string text;
        if (!RunHelp(program, name, args, text, error))
            return false;
        SubcommandHelp entry;
        for (const std::string& word : path)
            entry.path += (entry.path.empty() ? "" : " ") + word;
        entry.help = ParseHelpText(text);
        found.push_back(entry);
        if (!CollectSubcommands(program, name, path, entry.help, found, error))
            return false;
    }
    return true;
}

bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            error = temporary + ": cannot be written";
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: tundrix-manpage PROGRAM NAME PAGE OUTPUT [KEY=VALUE...]\n");
        return 1;
    }
    const std::string program = argv[1];
    const std::string name = argv[2];
    const std::string pagePath = argv[3];
    const std::string output = argv[4];
    std::map<std::string, std::string> values;
    for (int i = 5; i < argc; ++i) {
        const std::string pair = argv[i];
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0) {
            std::fprintf(stderr, "tundrix-manpage: %s is no KEY=VALUE\n", argv[i]);
            return 1;
        }
        values[pair.substr(0, equals)] = pair.substr(equals + 1);
    }

    std::string error;
    std::string text;
    if (!RunHelp(program, name, {"--help"}, text, error)) {
        std::fprintf(stderr, "tundrix-manpage: %s\n", error.c_str());
        return 1;
    }
    const HelpText help = ParseHelpText(text);
    std::vector<SubcommandHelp> subcommands;
    if (!CollectSubcommands(program, name, {}, help, subcommands, error)) {
        std::fprintf(stderr, "tundrix-manpage: %s\n", error.c_str());
        return 1;
    }

    std::ifstream pageFile(pagePath, std::ios::binary);
    std::stringstream page;
    page << pageFile.rdbuf();
    if (!pageFile) {
        std::fprintf(stderr, "tundrix-manpage: cannot read %s\n", pagePath.c_str());
        return 1;
    }
    const std::string manPage = CManPage(name, help, subcommands).Fill(page.str(), values, error);
    if (manPage.empty()) {
        std::fprintf(stderr, "tundrix-manpage: %s: %s\n", pagePath.c_str(), error.c_str());
        return 1;
    }
    if (!WriteWhole(output, manPage, error)) {
        std::fprintf(stderr, "tundrix-manpage: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
