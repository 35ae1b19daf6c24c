#include "LibraryChild.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

// The write end of the child's progress pipe, in the child only.
int gProgressFd = -1;

// How often a waiting parent looks at the child's processor time and pumps its events.
constexpr int kLookMs = 40;

int64_t NowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The child's processor time in ms (user and system, all threads); -1 when it cannot be read.
int64_t CpuMs(clockid_t clock, bool known) {
    timespec t;
    if (!known || clock_gettime(clock, &t) != 0)
        return -1;
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

QString Seconds(int ms) {
    return QString::number(ms / 1000.0);
}

// Reads what is waiting on fd into bytes (when given); returns the count, 0 at its end, -1 on an error.
ssize_t Drain(int fd, QByteArray* bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0 && bytes)
            bytes->append(buffer, n);
        return n;
    }
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

void ReportProgress() {
    if (gProgressFd >= 0)
        WriteFromChild(gProgressFd, "+", 1);
}

TChildOutput RunInLibraryChild(const std::function<void(int fd)>& work, const TChildBounds& bounds,
                               const std::function<void()>& pump) {
    TChildOutput out;
    int data[2], progress[2];
    if (pipe2(data, O_CLOEXEC) != 0) {
        out.Fault = QStringLiteral("cannot start the DVD library: %1").arg(strerror(errno));
        return out;
    }
    if (pipe2(progress, O_CLOEXEC) != 0) {
        out.Fault = QStringLiteral("cannot start the DVD library: %1").arg(strerror(errno));
        close(data[0]);
        close(data[1]);
        return out;
    }
    const pid_t child = fork();
    if (child < 0) {
        for (int fd : {data[0], data[1], progress[0], progress[1]})
            close(fd);
        out.Fault = QStringLiteral("cannot start the DVD library: %1").arg(strerror(errno));
        return out;
    }
    if (child == 0) {
        close(data[0]);
        close(progress[0]);
        signal(SIGPIPE, SIG_DFL);
        gProgressFd = progress[1];
        work(data[1]);
        _exit(0);
    }
    close(data[1]);
    close(progress[1]);
    clockid_t clock;
    const bool clockKnown = clock_getcpuclockid(child, &clock) == 0;

    int64_t lastSign = NowMs();
    bool signed_ = false;
    int progressFd = progress[0];
    for (;;) {
        const int allowance = signed_ ? bounds.QuietMs : bounds.FirstSignMs;
        const int64_t waited = NowMs() - lastSign;
        if (waited >= allowance) {
            kill(child, SIGKILL);
            out.Fault = signed_ ? QStringLiteral("the DVD library read nothing more of it for %1 s").arg(Seconds(allowance))
                                : QStringLiteral("the DVD library got nowhere reading it within %1 s")
                                      .arg(Seconds(allowance));
            break;
        }
        if (CpuMs(clock, clockKnown) > bounds.CpuMs) {
            kill(child, SIGKILL);
            out.Fault = QStringLiteral("the DVD library went round in circles reading it and was stopped after "
                                       "%1 s of work (a damaged file system)")
                            .arg(Seconds(bounds.CpuMs));
            break;
        }
        pollfd p[2] = {{data[0], POLLIN, 0}, {progressFd, POLLIN, 0}};
        const int ready = poll(p, progressFd >= 0 ? 2 : 1, int(std::min<int64_t>(allowance - waited, kLookMs)));
        if (ready < 0 && errno != EINTR) {
            kill(child, SIGKILL);
            out.Fault = QStringLiteral("cannot wait for the DVD library: %1").arg(strerror(errno));
            break;
        }
        if (pump)
            pump();
        if (ready <= 0)
            continue;
        if (progressFd >= 0 && p[1].revents) {
            const ssize_t n = Drain(progressFd, nullptr);
            if (n > 0) {
                signed_ = true;
                lastSign = NowMs();
            } else if (n == 0) {
                close(progressFd);
                progressFd = -1;
            }
        }
        if (p[0].revents) {
            const ssize_t n = Drain(data[0], &out.Bytes);
            if (n <= 0)
                break;
            signed_ = true;
            lastSign = NowMs();
        }
    }
    close(data[0]);
    if (progressFd >= 0)
        close(progressFd);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (out.Fault.isEmpty() && WIFSIGNALED(status))
        out.Fault = QStringLiteral("the DVD library crashed reading it (%1)").arg(strsignal(WTERMSIG(status)));
    else if (out.Fault.isEmpty() && (!WIFEXITED(status) || WEXITSTATUS(status) != 0))
        out.Fault = QStringLiteral("the DVD library failed reading it (exit %1)").arg(WEXITSTATUS(status));
    return out;
}
