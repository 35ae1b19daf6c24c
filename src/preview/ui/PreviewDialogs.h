#pragma once

// The message boxes of the preview and the time editor go through the program's dialog wrapper, which
// tests answer in advance. This is the one place that names where it lives.
#include "ui/Dialogs.h"
