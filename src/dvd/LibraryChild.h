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

// How long the child may take. A looping library burns processor time; a drive that spins up, retries a
// sector or seeks costs the child none, only waiting. So the work is bounded by the processor time it
// uses, and waiting only by generous allowances between the child's signs of progress (ReportProgress, or
// anything it writes), the first of which also covers a drive's spin-up.
struct TChildBounds {
    int CpuMs = 3000;        // processor time in all; reading a healthy disc's information files takes a few ms
    int FirstSignMs = 90000; // waiting before the first sign: the drive spins up
    int QuietMs = 30000;     // waiting between later signs
};

// Forks, runs work(fd) in the child with fd the write end of a pipe, and gathers what it writes. A child
// that goes beyond bounds is killed. pump, when set, is called every few tens of milliseconds while the
// child works, so that a window stays responsive. The child touches no Qt object and leaves by _exit.
TChildOutput RunInLibraryChild(const std::function<void(int fd)>& work, const TChildBounds& bounds = {},
                               const std::function<void()>& pump = {});

// Writes all of data to fd from the child; leaves the child (exit 3) when the parent has gone.
void WriteFromChild(int fd, const void* data, size_t size);

// Called by the work in the child when it has got somewhere (opened the disc, read a file), which starts
// a new waiting allowance. Does nothing outside a child of RunInLibraryChild.
void ReportProgress();
