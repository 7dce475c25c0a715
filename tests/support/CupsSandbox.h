// Helpers of the tests that print on the private CUPS scheduler started by
// tests/print_cups/with_cups.sh: its environment, shell commands, waiting for a job and reading
// back the pass-through queue's PDF.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace cupssandbox {

// An environment variable, empty when unset.
inline std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// What a shell command writes on its standard output.
inline std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

// Whether the tests run under the wrapper (otherwise they skip).
inline bool Running() {
    return !Env("CUPS_SANDBOX").empty();
}

// Runs a command of the sandbox script on this scheduler and answers its output: "job 12" runs
// `<script> job <sandbox folder> 12`.
inline std::string Sandbox(const std::string& args) {
    const std::size_t blank = args.find(' ');
    const std::string rest = blank == std::string::npos ? std::string() : args.substr(blank);
    return Shell(Env("CUPS_SANDBOX_SCRIPT") + " " + args.substr(0, blank) + " " + Env("CUPS_SANDBOX") + rest);
}

// Waits until the job has completed; false when it ended otherwise or is still there after `seconds`.
inline bool WaitJob(const std::string& job, int seconds = 30) {
    return std::system((Env("CUPS_SANDBOX_SCRIPT") + " wait_job " + Env("CUPS_SANDBOX") + " " + job + " " +
                        std::to_string(seconds))
                           .c_str()) == 0;
}

// The pages of the pass-through queue's last PDF, each page's text without blanks and line breaks.
inline std::vector<std::string> PassThroughPages() {
    std::vector<std::string> pages(1);
    for (char c : Shell("pdftotext -raw " + Env("CUPS_SANDBOX") + "/out/vnfile.pdf -"))
        if (c == '\f')
            pages.emplace_back();
        else if (c != '\n' && c != ' ')
            pages.back() += c;
    pages.pop_back(); // what follows the last page break is no page
    return pages;
}

} // namespace cupssandbox
