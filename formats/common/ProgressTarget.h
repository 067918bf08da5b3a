// Where long image operations report how far they have got.
#pragma once

namespace formats {

// Receives progress values (a percentage, or a count) from a worker. The viewer implements it
// by posting an event to a window, so PostProgress must return at once and may be called from
// any thread.
class ProgressTarget
{
public:
    virtual ~ProgressTarget() = default;
    virtual void PostProgress(int value) = 0;
};

// Posts `value` to `target`; without a target nothing is reported.
inline void PostProgress(ProgressTarget* target, int value)
{
    if (target != nullptr) {
        target->PostProgress(value);
    }
}

} // namespace formats
