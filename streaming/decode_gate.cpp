#include "decode_gate.h"

#include <algorithm>

Decode_Gate::Decode_Gate(unsigned turns) : free_turns(std::max(1u, turns)) {}

void Decode_Gate::enter()
{
    AcquireSRWLockExclusive(&lock);
    while (free_turns == 0)
        (void)SleepConditionVariableSRW(&freed, &lock, INFINITE, 0);  // false only on a time-out, which INFINITE never has
    --free_turns;
    ReleaseSRWLockExclusive(&lock);
}

void Decode_Gate::leave()
{
    AcquireSRWLockExclusive(&lock);
    ++free_turns;
    ReleaseSRWLockExclusive(&lock);
    WakeConditionVariable(&freed);
}

Decode_Gate& decode_gate()
{
    static Decode_Gate gate([] {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        return static_cast<unsigned>(system.dwNumberOfProcessors);
    }());
    return gate;
}
