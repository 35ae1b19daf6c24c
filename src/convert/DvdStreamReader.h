#pragma once

#include "convert/TitleOutline.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Reads one title of a DVD-Video folder as the MPEG program stream a player would play: the title's
// program chain, the chosen angle's cells, from the cell that holds the range's start to the cell that
// holds its end. Interleaved cells (angle blocks) are followed VOBU by VOBU, so other angles' data is
// left out. The stream begins at the start of a cell: OffsetSeconds() tells where the range begins in it.
// A range that ends where a cell ends is read on into the following cell for a little while: the disc
// stores a picture's sound behind it, so the last moments of the range's audio lie past the cell's end.
class TDvdStreamReader {
public:
    static constexpr int kSectorBytes = 2048;

    TDvdStreamReader();
    ~TDvdStreamReader();
    TDvdStreamReader(const TDvdStreamReader&) = delete;
    TDvdStreamReader& operator=(const TDvdStreamReader&) = delete;

    // discPath: the folder that holds VIDEO_TS.IFO. title counts from 1, angle from 0; endSeconds <= 0
    // reads to the title's end. False, with ErrorText() set, when the title cannot be read.
    // A range whose first packs are scrambled (an encrypted disc the library cannot decrypt) is refused.
    bool Open(const QString& discPath, int title, int angle, double startSeconds, double endSeconds);
    void Close();
    QString ErrorText() const { return FError; }
    bool Encrypted() const { return FScrambled; } // Open refused the range: its packs are scrambled
    // Messages name the disc as name instead of the path opened (a private view of the disc's folder).
    void ShowDiscAs(const QString& name) { FShownName = name; }

    double OffsetSeconds() const { return FOffsetSeconds; } // the range's start within the stream
    // The same for an output that takes only the stream's video, which FFmpeg times from its first packet.
    double VideoAloneOffsetSeconds();
    // Where a reading of the title by byte position may begin so as to hold the range's start exactly: the
    // first sector of the last VOBU of the start's cell that begins at or before the start, and how far the
    // start lies behind it. False when the cell's navigation packs cannot tell.
    bool VobuBefore(uint32_t& sector, double& leadSeconds) const;
    int AngleCount() const { return FAngleCount; }
    QString TitleAspect() const { return FAspect; } // "4:3" or "16:9"
    double FrameSeconds() const { return FFrameSeconds; } // a PAL or NTSC frame's time

    // The program stream id of the row's audio choice (an index into the title's enabled audio streams)
    // and of its subtitle choice (0 none, k the k-th enabled subtitle); -1 when there is none.
    int AudioStreamId(int audioIndex) const;
    int SubtitleStreamId(int subtitleChoice) const;
    // The program chain's sub-picture colours, each 0x00YYCrCb as stored on the disc.
    std::array<uint32_t, 16> Palette() const;
    // The title's streams with their languages and its programs' starts.
    const TTitleOutline& Outline() const { return FOutline; }
    // Which of the title's listed streams occur in the stream's first packs (a listed stream may be
    // missing from the disc's data altogether); ids as AudioStreamId gives them.
    const std::vector<int>& StreamIdsSeen() const { return FSeenIds; }

    // Opens the stream with an empty sub-picture on each of these stream ids, stamped at the first picture, so that
    // FFmpeg finds the stream while probing even when the range's first real one comes much later or never.
    void AnnounceSubPicture(int streamId);
    void AnnounceSubPictures(const std::vector<int>& streamIds);

    // Reads packsEach packs at each of spots places spread evenly over the range's cells (all of them, once,
    // when they are fewer) and hands each stretch to visit; the stream's own reading is not disturbed.
    // False when a sector cannot be read.
    bool ReadSpread(int spots, int packsEach,
                    const std::function<void(const unsigned char* packs, int count)>& visit) const;

    // Up to maxBytes (a whole number of sectors, at least one) of the stream; 0 at its end, -1 on a
    // read error (ErrorText() says where).
    qint64 Read(char* data, qint64 maxBytes);
    qint64 BytesRead() const { return FBytesRead; }

    // Writes the rest of the stream to fd until it ends, stop becomes true or the far end closes the pipe.
    // False on a read error or a failed write other than a closed pipe. A descriptor that does not block is
    // waited on, so that stop ends the writing soon even while the far end reads nothing.
    bool WriteAll(int fd, const std::atomic<bool>& stop);

    // Where a title can be cut: the start of a VOBU, with the time of its first picture (seconds from the
    // title's start) and the cell it belongs to (counted in the open range). The time is read from the
    // presentation times, the clock the encoder goes by, as a trimmed start is found: the elapsed time a
    // navigation pack also gives can jump on a damaged disc while the pictures run on.
    struct TVobuStart {
        uint32_t Sector = 0;
        double Seconds = 0;
        int Cell = 0;
    };
    // The VOBUs of the open range in playing order, found as the stream is read (following each navigation
    // pack to the next VOBU of the angle). False, with ErrorText() set, when a sector cannot be read; a cell
    // without navigation packs gives none. Call before reading.
    bool VobuStarts(std::vector<TVobuStart>& vobus);
    // Begins the stream at a VOBU of VobuStarts() instead of the range's first cell, for an encoder that
    // takes only its video: OffsetSeconds() then tells where that VOBU's first picture lies in the video
    // (below 0 when pictures before the first one decoded are shown first). Call before reading.
    bool StartAtVobu(const TVobuStart& vobu);

private:
    struct TCell {
        uint32_t First = 0, Last = 0;
        double Start = 0, End = 0; // seconds from the title's start
    };
    struct TLibrary; // the open disc, title set and VOB files
    bool Fail(const QString& text);
    bool NextRun();
    double LeadSeconds(bool videoAlone = false);
    bool PassOnTail(unsigned char* nav);
    void ScanStreamIds();

    std::unique_ptr<TLibrary> FLib;
    QString FError, FWhere;
    QString FAspect;
    double FFrameSeconds = 1.0 / 25;
    int FAngleCount = 1;
    std::vector<int> FAudioIds, FSubtitleIds; // of the enabled streams, in the title's order
    std::array<uint32_t, 16> FPalette{};
    TTitleOutline FOutline;
    std::vector<int> FSeenIds;
    bool FScrambled = false; // the first cell's opening packs carry the scrambling bits
    QString FShownName;
    std::vector<TCell> FCells; // the chosen angle's cells that the range touches, in playing order,
                               // then those that follow it
    size_t FRangeCells = 0;    // how many of FCells the range touches
    int64_t FLastEndPtm = -1;  // where the last VOBU passed on ends (90 kHz), -1 when unknown
    int64_t FTailLeft = 0;     // how much more of the following cells to pass on (90 kHz)
    size_t FCell = 0;
    uint32_t FPack = 0;                   // the next sector to visit in the current cell
    uint32_t FRunStart = 0, FRunLeft = 0; // sectors due to be passed on
    double FOffsetSeconds = 0;
    double FIntoCellSeconds = 0; // the range's start after its first cell's
    double FStartSeconds = 0;
    int64_t FFirstPicturePts = -1;
    QByteArray FFirstPackHeader; // the stream's first 14 bytes, when they are an MPEG-2 pack header
    QByteArray FPrefix;          // bytes handed out before the disc's
    qint64 FBytesRead = 0;
};
