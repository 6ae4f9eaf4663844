#include "decode_gate.h"

#include <algorithm>

Decode_Gate::Decode_Gate(unsigned turns) : admitted(std::max(1u, turns)) {}

// A caller draws a ticket and goes in once every earlier ticket has: the
// turns go round in the order they were asked for.
void Decode_Gate::enter()
{
    AcquireSRWLockExclusive(&lock);
    const unsigned long long ticket = next_ticket++;
    while (ticket >= admitted)
        (void)SleepConditionVariableSRW(&freed, &lock, INFINITE, 0);  // false only on a time-out, which INFINITE never has
    ReleaseSRWLockExclusive(&lock);
}

// Every waiter is woken: only the one whose ticket is now admitted goes on.
void Decode_Gate::leave()
{
    AcquireSRWLockExclusive(&lock);
    ++admitted;
    ReleaseSRWLockExclusive(&lock);
    WakeAllConditionVariable(&freed);
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
