// Shared_File_Turn: a turn at a file that several processes append to
// (every host of the control on the machine logs to the same file).  A
// write to a file's end is a seek and a write, not one step (under Wine
// even for a handle opened only to append), so two processes writing at
// once can land on the same place and one entry is lost.  Taking turns,
// through a mutex of the session named after the file, keeps them all.
#pragma once

#include <windows.h>

#include <string>

class Shared_File_Turn {
public:
    Shared_File_Turn() = default;
    ~Shared_File_Turn();
    Shared_File_Turn(const Shared_File_Turn&) = delete;
    Shared_File_Turn& operator=(const Shared_File_Turn&) = delete;

    // The turn at the file at `path`, whatever the case of its letters.
    void name_after(const std::string& path);
    // Waits for the turn, at most a short while: a process that hangs
    // while it holds the turn costs the others that wait, never an entry.
    // False when the turn was not taken (no mutex, or the wait ran out);
    // the write goes ahead all the same.
    bool take();
    // Gives back a turn that take() answered true for.
    void give_back(bool taken);

private:
    HANDLE mutex = nullptr;
    std::string name;  // of the mutex held
};
