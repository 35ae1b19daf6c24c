#pragma once

// The product's title: the application title, the window caption and the caption of general errors.
inline constexpr const char* kProductTitle = "Velloric DVD Converter";

// Who makes it, as the start screen's link and the About box name it.
inline constexpr const char* kMakerName = "The Velloric project";
