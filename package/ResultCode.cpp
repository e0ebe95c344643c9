#include "package/ResultCode.h"

const char* resultCodeMeaning(ResultCode code) noexcept
{
    switch (code)
    {
        case result::success:
            return "success";
        case result::invalidArgument:
            return "invalid argument";
        case result::malformedArchive:
            return "malformed tar archive";
        case result::wrongState:
            return "wrong state or engine failure";
        case result::unknownParameter:
            return "unknown parameter";
        case result::streamNotOpen:
            return "stream not open";
        case result::outOfMemory:
            return "out of memory";
        case result::openFailed:
            return "open failed or \"dyn.win\" missing";
        case result::closeFailed:
            return "close failed";
        case result::seekFailed:
            return "seek failed, no data stream or no suitable image";
        case result::shortRead:
            return "short read, required member missing or invalid \"model.json\"";
        case result::shortWrite:
            return "short write or member read failed";
        case result::flushFailed:
            return "flush failed or package could not be indexed";
        default:
            return "unknown result code";
    }
}
