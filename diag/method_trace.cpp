#include "method_trace.h"

#include "logger.h"

Method_Trace::Method_Trace(const char* file, const char* method, int line)
    : file(file), method(method), line(line)
{
    Logger::instance().write(log_trace, "<enter method> : %s in the %s at the %d line.",
                             this->method.c_str(), this->file.c_str(), line);
}

Method_Trace::~Method_Trace()
{
    Logger::instance().write(log_trace, "<leave methed> : %s in the %s at the %d line.",
                             method.c_str(), file.c_str(), line);
}
