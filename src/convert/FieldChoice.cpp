#include "FieldChoice.h"

#include "convert/DvdStreamReader.h"
#include "convert/FieldCadence.h"
#include "convert/ProgramStreamPacks.h"

TFieldChoice ChooseFieldTreatment(const TPictureScan& scan) {
    TFieldChoice choice;
    const int pictures = scan.Pictures();
    if (pictures == 0) {
        choice.Description =
            "no picture header of the title could be read, so the picture is not deinterlaced";
        return choice;
    }
    const auto share = [pictures](int count) { return QString::number(100 * count / pictures) + " %"; };
    // 3:2 pulldown repeats a field on every other film frame; at 25 frames a second a repeated field
    // now and then only stretches film to the rate, and the frames stay whole.
    if (!scan.ProgressiveSequence() && scan.FrameRateCode() == 4 && scan.Repeated() * 4 >= pictures &&
        scan.Interlaced() * 10 < pictures) {
        choice.Treatment = TFieldTreatment::Film;
        // The film's frames are timed 3 and 2 fields apart, a fifth of a 23.976 slot either side of the
        // slot's start: the first frame is put on the grid, so that each rounds to a slot of its own
        // (wherever the picture starts against the sound, which an unaligned grid turned into a frame
        // repeated and a frame lost in every five).
        choice.Filter = "setpts=PTS-STARTPTS+round(STARTPTS*TB*24000/1001)*1001/24000/TB,fps=24000/1001";
        choice.Description = "the picture is film with pulldown flags (" + share(scan.Repeated()) +
                             " of the pictures repeat a field), so it is shown at its own 23.976 frames a "
                             "second";
        return choice;
    }
    // A few interlaced pictures among whole frames are enough to comb every movement in them; the filter
    // leaves the frames that are whole as they are.
    if (!scan.ProgressiveSequence() && scan.Interlaced() * 10 >= pictures) {
        choice.Treatment = TFieldTreatment::Interlaced;
        choice.TopFieldFirst = scan.TopFirst() * 2 >= scan.Interlaced();
        const QString parity = choice.TopFieldFirst ? "tff" : "bff";
        choice.Filter = "bwdif=mode=send_frame:parity=" + parity + ":deint=interlaced";
        choice.Description = "the picture is interlaced (" + share(scan.Interlaced()) + " of the pictures, " +
                             (choice.TopFieldFirst ? "top" : "bottom") +
                             " field first), so it is deinterlaced";
        return choice;
    }
    choice.Treatment = TFieldTreatment::Progressive;
    choice.Description = "the picture is progressive, so it is not deinterlaced";
    return choice;
}

TFieldChoice HardTelecineChoice(const TFieldChoice& interlaced, int moving, int repeating) {
    TFieldChoice choice = interlaced;
    choice.Treatment = TFieldTreatment::HardFilm;
    const QString parity = interlaced.TopFieldFirst ? "tff" : "bff";
    // Each picture is woven again from the fields that belong together, the picture in five that repeats
    // a film frame is dropped, and what no field matches (a cut in the cadence) is deinterlaced.
    choice.Filter = "fieldmatch=order=" + parity + ":combmatch=full,bwdif=mode=send_frame:parity=" + parity +
                    ":deint=interlaced,decimate";
    choice.Description = "the picture is film telecined into interlaced pictures (" +
                         QString::number(100 * repeating / (moving > 0 ? moving : 1)) +
                         " % of the moving pictures repeat a field), so its film frames are rebuilt at 23.976 "
                         "frames a second";
    return choice;
}

bool AsksForAutoFields(const QStringList& profile) {
    for (qsizetype i = 0; i + 1 < profile.size(); ++i)
        if (profile[i] == "-vf" && profile[i + 1] == kAutoFieldFilter)
            return true;
    return false;
}

QStringList WithFieldFilter(QStringList profile, const QString& filter) {
    for (qsizetype i = 0; i + 1 < profile.size(); ++i) {
        if (profile[i] != "-vf" || profile[i + 1] != kAutoFieldFilter)
            continue;
        if (filter.isEmpty()) {
            profile.remove(i, 2);
            --i;
        } else {
            profile[i + 1] = filter;
        }
    }
    return profile;
}

TFieldChoice ChooseFieldTreatment(const TDvdStreamReader& reader) {
    // 24 places of 96 packs (192 KiB) each hold a few hundred pictures at a disc's usual bit rates.
    TPictureScan scan;
    reader.ReadSpread(24, 96, [&scan](const unsigned char* packs, int count) {
        const QByteArray video = VideoPayload(packs, count);
        scan.Feed(reinterpret_cast<const unsigned char*>(video.constData()), size_t(video.size()));
    });
    const TFieldChoice choice = ChooseFieldTreatment(scan);
    if (choice.Treatment != TFieldTreatment::Interlaced || scan.FrameRateCode() != 4)
        return choice;
    // Interlaced pictures at 29.97 a second may be film with its pulldown woven in, which only the
    // pictures themselves tell: a few seconds of them are decoded, from places spread over the range.
    TFieldCadence cadence;
    reader.ReadSpread(8, 512, [&cadence](const unsigned char* packs, int count) {
        const QByteArray video = VideoPayload(packs, count);
        cadence.AddVideo(reinterpret_cast<const unsigned char*>(video.constData()), size_t(video.size()));
    });
    return cadence.HardTelecine() ? HardTelecineChoice(choice, cadence.Moving(), cadence.Repeating()) : choice;
}
