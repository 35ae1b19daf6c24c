#pragma once

#include "convert/ConversionFrontEnd.h"

// Turns the computer off through systemd-logind on the system bus.
class TLogindPower : public TPowerControl {
public:
    void PowerOffComputer() override;
};
