// Method_Trace: writes a method's entry line when constructed and its exit
// line when destroyed, however the method is left.
#pragma once

#include <string>

class Method_Trace {
public:
    Method_Trace(const char* file, const char* method, int line);
    ~Method_Trace();

    Method_Trace(const Method_Trace&) = delete;
    Method_Trace& operator=(const Method_Trace&) = delete;

private:
    std::string file;
    std::string method;
    int line;
};

// Declares the trace of the enclosing method; `method` is the text logged.
#define KELM_TRACE(method) Method_Trace method_trace_guard(__FILE__, method, __LINE__)
