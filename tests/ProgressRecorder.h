// A progress target that keeps what it was sent, for tests.
#pragma once

#include "formats/common/ProgressTarget.h"

#include <vector>

class ProgressRecorder : public formats::ProgressTarget
{
public:
    void PostProgress(int value) override { values.push_back(value); }
    std::vector<int> values;
};
