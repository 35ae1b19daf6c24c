#pragma once

#include <QString>

struct TMencOutputSettings;

// The display aspect an output must carry, as "W:H" for FFmpeg's -aspect.
// A custom size is letterboxed into square pixels, so the frame's own width:height is its aspect; with the
// original size it is the profile's Aspect when that names one, else the title's ("16:9", anything else
// being 4:3 as the scaling filter also reads it). Empty when a custom size is not two positive integers.
QString OutputDisplayAspect(const TMencOutputSettings& settings, const QString& titleAspect);
