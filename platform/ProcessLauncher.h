// Starting a program that lies beside the running one and waiting for it, in the manner of
// ShellExecuteEx with a process handle, WaitForSingleObject and GetExitCodeProcess.
//
// A Linux exit status holds 8 bits, a Windows exit code 32 (an installer's 1603 or 3010).
// The child finds in $PYRN_RESULT_FD a descriptor on which ReportProcessResult hands its
// 32-bit result back; the launcher returns it beside the 8-bit status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr const char* kResultFdVariable = "PYRN_RESULT_FD";

struct LaunchRequest
{
    std::string verb;       // "runas" needs an administrator (effective root); empty or "open"
    std::string program;    // a plain file name in the running program's folder, never a path
    std::string parameters; // one command line, split as Windows programs split theirs
    std::string directory;  // the child's working folder; empty keeps ours
};

struct LaunchResult
{
    bool started = false;
    int exitStatus = -1;                    // 0..255, or 128 + the signal that ended it
    std::optional<uint32_t> reportedResult; // what the child handed back, if anything

    // The result a Windows caller would see: the reported one, else the exit status.
    uint32_t ExitCode() const { return reportedResult.value_or(static_cast<uint32_t>(exitStatus)); }
};

// Starts the program and waits for it without a time limit. Not started (started false)
// when the name is not a plain file name, the file is not there, "runas" is asked for
// without root, the working folder cannot be entered or the start fails.
LaunchResult RunProgramAndWait(const LaunchRequest& request);

// Splits a command line into arguments by the Windows rules: white space separates,
// double quotes group, 2n backslashes before a quote give n and the quote toggles grouping,
// 2n+1 give n and a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// In a child started by RunProgramAndWait: hands `result` back to the launcher. False when
// this process was not started that way or the result could not be written.
bool ReportProcessResult(uint32_t result);

} // namespace platform
