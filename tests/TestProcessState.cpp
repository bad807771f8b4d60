// Every test leaves the process as it found it: the current folder, the file-creation mask, the
// dispositions of the signals the program changes, the limits it lowers and the environment.
// A test that forgets fails here by name, instead of a later test failing only when the tests
// happen to run in one process, in some order; the state is then put back, so that one slip is
// reported once.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace {

struct TProcessState {
    std::string Folder;
    mode_t Mask = 0;
    std::map<int, void (*)(int)> Signals;
    std::map<int, rlimit> Limits;
    std::map<std::string, std::string> Environment;

    static TProcessState Now() {
        TProcessState state;
        std::error_code ignored;
        state.Folder = std::filesystem::current_path(ignored).string();
        state.Mask = ::umask(0);
        ::umask(state.Mask);
        // SIGINT and SIGTERM are left out: the file writer sets its handlers once, for good.
        for (const int signal : {SIGPIPE, SIGXFSZ}) {
            struct sigaction action = {};
            ::sigaction(signal, nullptr, &action);
            state.Signals[signal] = action.sa_handler;
        }
        for (const int resource : {RLIMIT_FSIZE, RLIMIT_AS, RLIMIT_NOFILE}) {
            rlimit limit = {};
            ::getrlimit(resource, &limit);
            state.Limits[resource] = limit;
        }
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            const size_t equals = text.find('=');
            state.Environment[text.substr(0, equals)] =
                equals == std::string::npos ? std::string() : text.substr(equals + 1);
        }
        return state;
    }

    // What differs from before, in words; empty when nothing does.
    std::string Differences(const TProcessState& before) const {
        std::string found;
        if (Folder != before.Folder)
            found += "the current folder is " + Folder + ", was " + before.Folder + "; ";
        if (Mask != before.Mask)
            found += "the file-creation mask changed; ";
        for (const auto& [signal, handler] : before.Signals)
            if (Signals.at(signal) != handler)
                found += "the disposition of signal " + std::to_string(signal) + " changed; ";
        for (const auto& [resource, limit] : before.Limits)
            if (Limits.at(resource).rlim_cur != limit.rlim_cur ||
                Limits.at(resource).rlim_max != limit.rlim_max)
                found += "resource limit " + std::to_string(resource) + " changed; ";
        if (Environment != before.Environment)
            found += "the environment changed; ";
        return found;
    }

    void Restore() const {
        std::error_code ignored;
        std::filesystem::current_path(Folder, ignored);
        ::umask(Mask);
        for (const auto& [signal, handler] : Signals)
            std::signal(signal, handler);
        for (const auto& [resource, limit] : Limits)
            ::setrlimit(resource, &limit);
        const TProcessState now = Now();
        for (const auto& [name, value] : now.Environment)
            if (Environment.count(name) == 0)
                ::unsetenv(name.c_str());
        for (const auto& [name, value] : Environment)
            ::setenv(name.c_str(), value.c_str(), 1);
    }
};

class TProcessStateCheck : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { FBefore = TProcessState::Now(); }
    void OnTestEnd(const testing::TestInfo&) override {
        const std::string differences = TProcessState::Now().Differences(FBefore);
        if (differences.empty())
            return;
        FBefore.Restore();
        ADD_FAILURE() << "The test did not put the process back as it found it: " << differences;
    }

    TProcessState FBefore;
};

// Registered before main runs, so that every test binary linking this file checks every test.
const bool Registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new TProcessStateCheck);
    return true;
}();

} // namespace
