#include "broken_pipes.h"

#include <csignal>

namespace {

void NoteBrokenPipe(int) {}

} // namespace

void IgnoreBrokenPipes() {
    // A handler that does nothing rather than SIG_IGN: the failing write
    // returns EPIPE all the same, and programs started later get the default
    // back at exec instead of inheriting an ignored signal.
    struct sigaction action {};
    action.sa_handler = NoteBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
}
