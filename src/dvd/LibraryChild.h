#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The DVD library trusts what it reads and can crash or loop on a damaged disc; its work is done in a
// child process that this one outlives.

struct TChildOutput {
    QByteArray Bytes; // what the child wrote before it ended
    QString Fault;    // empty, or why the child did not finish well ("crashed reading it (...)", ...)
};

// Forks, runs work(fd) in the child with fd the write end of a pipe, and gathers what it writes. A child
// that has not finished within timeoutMs is killed. The child touches no Qt object and leaves by _exit.
TChildOutput RunInLibraryChild(const std::function<void(int fd)>& work, int timeoutMs);

// Writes all of data to fd from the child; leaves the child (exit 3) when the parent has gone.
void WriteFromChild(int fd, const void* data, size_t size);
