#pragma once

#include <QtGlobal>
#include <random>
#include <string>

// The numbers a randomised test draws: different at each run, or those of
// the run QUILLMARK_FAULT_RANDOM names, so that a failure can be replayed.
inline unsigned runRandomness()
{
    bool fixed = false;
    const int given = qEnvironmentVariableIntValue("QUILLMARK_FAULT_RANDOM", &fixed);
    return fixed ? unsigned(given) : std::random_device{}();
}

// What a failure prints to be replayed.
inline std::string replayWith(unsigned randomness)
{
    return "QUILLMARK_FAULT_RANDOM=" + std::to_string(randomness);
}
