// decode_gate.h: at most as many streams decode and paint at once as the
// machine has processors.  Sixty-four stream threads all busy at once
// would take turns with the host's own thread, which would then get a
// sixty-fifth of the machine: closing a wall of panes took seconds and the
// host's window stopped answering.  A stream that waits for its turn falls
// behind and skips to its next key frame, as any stream the machine cannot
// keep up with does.  Waiting threads sleep on a condition variable: no
// system call while turns are free.  Turns are given in the order they were
// asked for, so that on a machine short of processors every stream gets
// its share instead of the ones the scheduler favours.
#ifndef KELM_STREAMING_DECODE_GATE_H
#define KELM_STREAMING_DECODE_GATE_H

#include <windows.h>

class Decode_Gate {
public:
    explicit Decode_Gate(unsigned turns);
    Decode_Gate(const Decode_Gate&) = delete;
    Decode_Gate& operator=(const Decode_Gate&) = delete;

    void enter();
    void leave();

private:
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE freed = CONDITION_VARIABLE_INIT;
    unsigned long long next_ticket = 0;  // the number the next caller draws
    unsigned long long admitted;         // tickets below this may go in
};

// The library's gate, with a turn for each processor.
Decode_Gate& decode_gate();

// A turn of the library's gate, for the life of the object.
class Decode_Turn {
public:
    Decode_Turn() { decode_gate().enter(); }
    ~Decode_Turn() { decode_gate().leave(); }
    Decode_Turn(const Decode_Turn&) = delete;
    Decode_Turn& operator=(const Decode_Turn&) = delete;
};

#endif
