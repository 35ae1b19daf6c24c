#pragma once

// The product's title: the application title, the window caption and the caption of general errors.
inline constexpr const char* kProductTitle = "Velloric DVD Converter";
