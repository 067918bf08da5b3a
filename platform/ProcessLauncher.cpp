#include "platform/ProcessLauncher.h"

#include "platform/LibraryLoader.h"
#include "platform/SetupFolders.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

constexpr int kChildResultFd = 3;

bool IsPlainName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// Our environment without any inherited result descriptor, plus the child's.
std::vector<std::string> ChildEnvironment()
{
    const std::string prefix = std::string(kResultFdVariable) + "=";
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0) {
            entries.emplace_back(*entry);
        }
    }
    entries.push_back(prefix + std::to_string(kChildResultFd));
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// The decimal result the child wrote, if it wrote one whole.
std::optional<uint32_t> ReadReportedResult(int fd)
{
    char text[16] = {};
    std::size_t length = 0;
    while (length < sizeof text) {
        const ssize_t got = ::read(fd, text + length, sizeof text - length);
        if (got > 0) {
            length += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    uint32_t result = 0;
    const auto [end, error] = std::from_chars(text, text + length, result);
    if (length == 0 || error != std::errc() || end != text + length) {
        return std::nullopt;
    }
    return result;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status)
                             : (WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1);
}

} // namespace

LaunchResult RunProgramAndWait(const LaunchRequest& request)
{
    LaunchResult result;
    std::string folder;
    if (!IsPlainName(request.program) || !GetProgramFolder(folder) ||
        (request.verb == "runas" && ::geteuid() != 0)) {
        return result;
    }
    const std::string path = JoinPath(folder, request.program);
    if (::access(path.c_str(), X_OK) != 0) {
        return result;
    }

    int pipeFds[2] = {-1, -1};
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return result;
    }
    // Above the child's slot, so that the dup2 below always clears close-on-exec.
    const int writeFd = ::fcntl(pipeFds[1], F_DUPFD_CLOEXEC, kChildResultFd + 1);
    ::close(pipeFds[1]);
    if (writeFd < 0) {
        ::close(pipeFds[0]);
        return result;
    }

    std::vector<std::string> arguments = SplitCommandLine(request.parameters);
    arguments.insert(arguments.begin(), path);
    std::vector<std::string> environment = ChildEnvironment();
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeFd, kChildResultFd);
    if (!request.directory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, request.directory.c_str());
    }
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(writeFd);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return result;
    }

    result.started = true;
    result.exitStatus = WaitFor(pid);
    // A grandchild may still hold the pipe: take only what is there now.
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    result.reportedResult = ReadReportedResult(pipeFds[0]);
    ::close(pipeFds[0]);
    return result;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < commandLine.size();) {
        const char c = commandLine[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            std::size_t count = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++count;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                current.append(count / 2, '\\');
                if (count % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(count, '\\');
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
        } else {
            current += c;
        }
        ++i;
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

bool ReportProcessResult(uint32_t result)
{
    const char* variable = std::getenv(kResultFdVariable);
    int fd = -1;
    if (variable == nullptr ||
        std::from_chars(variable, variable + std::strlen(variable), fd).ec != std::errc() ||
        fd < kChildResultFd) {
        return false;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) {
        return false;
    }
    const std::string text = std::to_string(result);
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    ::unsetenv(kResultFdVariable);
    return written;
}

} // namespace platform
