#pragma once

#include <stdexcept>
#include <string>

/** The one exception of the conversion engine: "this model is unusable".

    The engine raises it where a model's data cannot be used (unreadable, inconsistent or
    non-finite parameter data, a window description that does not fit), when memory runs out, and
    for arguments outside a construction's contract. The diagnostic line that describes the problem
    has already been written to the error stream when it is thrown. Processing calls never throw
    it; the facade catches it and reports a result code, so the application keeps running and
    refuses the model. */
class EngineError : public std::runtime_error
{
public:
    enum class Kind
    {
        outOfMemory,       ///< an allocation failed
        corruptParameters, ///< parameter data unreadable, inconsistent or not finite
        singularSystem,    ///< a linear system had no solution
        invalidArgument    ///< a size or setting outside what the engine supports
    };

    /** @param status the exit status the engine's command-line tradition gives this failure. */
    EngineError(Kind kind, int status, const std::string& message)
        : std::runtime_error(message), errorKind(kind), errorStatus(status)
    {
    }

    Kind kind() const noexcept { return errorKind; }

    /** Exit status a command-line program should end with for this failure. */
    int status() const noexcept { return errorStatus; }

private:
    Kind errorKind;
    int errorStatus;
};

/** Writes the formatted diagnostic line to the error stream (printf conventions, the caller
    supplies the line end) and throws an EngineError carrying the same text. */
[[noreturn]] void raiseEngineError(EngineError::Kind kind, int status, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
