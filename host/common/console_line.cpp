#include "console_line.h"

#include <windows.h>

#include <cstdio>

void print_line(const std::wstring& text)
{
    const std::wstring line = text + L'\n';
    const int size =
        WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        (void)WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), &narrow[0], size, nullptr,
                                  nullptr);  // measured above
    (void)fwrite(narrow.data(), 1, narrow.size(), stdout);  // a closed output loses the line only
    (void)fflush(stdout);
}
