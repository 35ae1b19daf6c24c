#include "DvdPlayback.h"

TDvdTimeCode TimeCodeOf(int seconds) {
    return {seconds / 3600, seconds % 3600 / 60, seconds % 60, 0};
}
