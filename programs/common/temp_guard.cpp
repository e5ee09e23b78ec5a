// The handler may run at any point of the write, so it only does what is safe there: unlink
// of a name kept in a static buffer, then the signal again with its default action.
#include "temp_guard.h"

#include <unistd.h>

#include <cstring>

namespace {

// SIGXFSZ is ignored, never held back: held, it would stay pending and end the program once
// its default action is back.
constexpr int guarded[temp_guard_signals] = {SIGXFSZ, SIGINT, SIGTERM, SIGHUP};

char temp_path[4200];
volatile sig_atomic_t temp_armed = 0;

extern "C" void remove_temp_and_end(int sig) {
    if (temp_armed) unlink(temp_path);
    signal(sig, SIG_DFL);
    raise(sig); // held until the handler returns, then ends the program as it would have
}

sigset_t ending_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : guarded)
        if (sig != SIGXFSZ) sigaddset(&set, sig);
    return set;
}

} // namespace

void open_temp_guard(temp_guard& g) {
    const sigset_t set = ending_signals();
    sigprocmask(SIG_BLOCK, &set, &g.old_mask);
    struct sigaction act;
    memset(&act, 0, sizeof act);
    sigemptyset(&act.sa_mask);
    for (int i = 0; i < temp_guard_signals; ++i) {
        sigaction(guarded[i], nullptr, &g.old_actions[i]);
        // A signal the program was started ignoring (nohup, a background job) stays ignored.
        if (g.old_actions[i].sa_handler == SIG_IGN) continue;
        act.sa_handler = guarded[i] == SIGXFSZ ? SIG_IGN : remove_temp_and_end;
        sigaction(guarded[i], &act, nullptr);
    }
}

void arm_temp_guard(const temp_guard& g, const char* path) {
    if (path != nullptr && strlen(path) < sizeof temp_path) {
        strcpy(temp_path, path);
        temp_armed = 1;
    }
    sigprocmask(SIG_SETMASK, &g.old_mask, nullptr);
}

void close_temp_guard(const temp_guard& g) {
    const sigset_t set = ending_signals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
    temp_armed = 0;
    for (int i = 0; i < temp_guard_signals; ++i) sigaction(guarded[i], &g.old_actions[i], nullptr);
    sigprocmask(SIG_SETMASK, &g.old_mask, nullptr);
}
