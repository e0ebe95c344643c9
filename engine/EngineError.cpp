#include "engine/EngineError.h"

#include <cstdarg>
#include <cstdio>

void raiseEngineError(EngineError::Kind kind, int status, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    std::fputs(text, stderr);
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    throw EngineError(kind, status, message);
}
