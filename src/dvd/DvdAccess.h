#pragma once

#include <QString>
#include <memory>

// Where the library runs. The program always keeps it in a child process, which a crash of the library
// cannot take down; the fuzz target runs it in its own process to see the faults the checks let through.
enum class TLibraryProcess { Child, Own };

// What disc loading asks of the DVD access library: which titles the disc plays, and for each the
// title set, the program chain within it and the number of camera angles. Titles count from 0 here.
class TDvdAccess {
public:
    virtual ~TDvdAccess() = default;
    // Opens the VIDEO_TS folder (no trailing separator); false with ErrorText() set when it cannot.
    virtual bool OpenDVD(const QString& videoTsPath) = 0;
    virtual int GetTitleNum() = 0;
    // Title-set index (title-set number - 1) and chain index within it; -1 where it cannot be placed.
    virtual void GetIndexInfo(int title, int& titleSet, int& chain) = 0;
    virtual int GetTitleAngle(int title) = 0;
    virtual QString ErrorText() const = 0;
    // Where the library's reading of a disc runs (see below).
    virtual TLibraryProcess Process() const { return TLibraryProcess::Child; }
};

// The real library: libdvdread reading the disc's menu IFO and title-set IFOs.
std::unique_ptr<TDvdAccess> CreateDvdReadAccess(TLibraryProcess process = TLibraryProcess::Child);
