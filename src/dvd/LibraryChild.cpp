#include "LibraryChild.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

int64_t NowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace

void WriteFromChild(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            _exit(3);
        p += n;
        size -= size_t(n);
    }
}

TChildOutput RunInLibraryChild(const std::function<void(int fd)>& work, int timeoutMs) {
    TChildOutput out;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        out.Fault = QStringLiteral("cannot start the DVD library: %1").arg(strerror(errno));
        return out;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        out.Fault = QStringLiteral("cannot start the DVD library: %1").arg(strerror(errno));
        return out;
    }
    if (child == 0) {
        close(fds[0]);
        signal(SIGPIPE, SIG_DFL);
        work(fds[1]);
        _exit(0);
    }
    close(fds[1]);

    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) {
            kill(child, SIGKILL);
            out.Fault =
                QStringLiteral("the DVD library did not finish reading it within %1 s").arg(timeoutMs / 1000);
            break;
        }
        pollfd p = {fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            continue;
        if (ready < 0) {
            kill(child, SIGKILL);
            out.Fault = QStringLiteral("cannot wait for the DVD library: %1").arg(strerror(errno));
            break;
        }
        char buffer[65536];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.Bytes.append(buffer, n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (out.Fault.isEmpty() && WIFSIGNALED(status))
        out.Fault = QStringLiteral("the DVD library crashed reading it (%1)").arg(strsignal(WTERMSIG(status)));
    else if (out.Fault.isEmpty() && (!WIFEXITED(status) || WEXITSTATUS(status) != 0))
        out.Fault = QStringLiteral("the DVD library failed reading it (exit %1)").arg(WEXITSTATUS(status));
    return out;
}
