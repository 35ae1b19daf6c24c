#pragma once

#include <QString>

struct TParamGrids;

// The output settings stage one takes from the profile at each Start. Fields whose parameter the profile
// lacks keep what an earlier Start gave them.
struct TMencOutputSettings {
    QString Size; // width ":" height, or empty for no scaling
    QString Width;
    QString Height;
    QString Aspect;
    QString VideoBitrate;
    QString SampleRate;
};

// The MEncoder encoding options for the profile at path and the grids' rows; fills settings.
// Empty text, and settings untouched, when there is no file at path.
QString BuildStageOneArgs(const QString& path, const TParamGrids& grids, TMencOutputSettings& settings);

// " switch value" for every parameter that has a switch and a value; a value "\" stands for none.
QString BuildStageTwoArgs(const QString& path, const TParamGrids& grids);

// " -vf scale=W:H,expand=SIZE" that scales to the target width at the display aspect and pads to the
// target size; empty when settings.Size is empty. titleAspect is the title's aspect text ("16:9", ...).
// The picture's display ratio for the scaling filters: the profile's Aspect when it says 4:3 or 16:9, else
// the title's.
double ScalingRatio(const TMencOutputSettings& settings, const QString& titleAspect);
QString ScalingFilterText(const TMencOutputSettings& settings, const QString& titleAspect);
