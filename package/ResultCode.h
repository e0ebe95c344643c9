#pragma once

#include <cstdint>

/** Result of the SDK classes (byte streams, tar reader, model package, conversion facade).

    0 is success; every other value names a failure. Several values are shared by failures of
    the same kind in different classes (for example 9 is a failed seek of a stream, a package
    without a data stream and a package without a suitable image). Callers test zero or non-zero
    unless an operation documents more. */
using ResultCode = std::int32_t;

/** The values of ResultCode. Names that share a value are the same code seen from different
    classes. */
namespace result
{

/** The operation succeeded. */
inline constexpr ResultCode success = 0;

/** An argument is outside what the operation accepts: an unsupported sample rate, a member index
    out of range, a bad member name. */
inline constexpr ResultCode invalidArgument = 1;

/** The bytes are not a well-formed tar archive of the strict shape the reader accepts. */
inline constexpr ResultCode malformedArchive = 2;

/** The object is in the wrong state for the call (already open, nothing open, a buffer it may
    not reallocate), or building or running the engine raised an exception. */
inline constexpr ResultCode wrongState = 3;

/** The conversion facade has no parameter with that identifier. */
inline constexpr ResultCode unknownParameter = 4;

/** A typed read on a stream that is not open. */
inline constexpr ResultCode streamNotOpen = 5;

/** Memory ran out while indexing an archive. */
inline constexpr ResultCode outOfMemory = 6;

/** A file could not be opened, or a package lacks its delta-window member "dyn.win". */
inline constexpr ResultCode openFailed = 7;
inline constexpr ResultCode missingWindows = 7;

/** Closing a file failed. */
inline constexpr ResultCode closeFailed = 8;

/** A seek failed, a package has no data stream, or no image member fits the request. */
inline constexpr ResultCode seekFailed = 9;
inline constexpr ResultCode noStream = 9;
inline constexpr ResultCode noImage = 9;

/** Fewer bytes arrived than were asked for, a required member is missing, or the package has no
    valid "model.json". */
inline constexpr ResultCode shortRead = 10;
inline constexpr ResultCode missingMember = 10;
inline constexpr ResultCode invalidDescription = 10;

/** Fewer bytes were written than were given, or reading a package member failed. */
inline constexpr ResultCode shortWrite = 11;
inline constexpr ResultCode memberReadFailed = 11;

/** Flushing a stream failed, or the package's archive could not be indexed. */
inline constexpr ResultCode flushFailed = 12;
inline constexpr ResultCode indexFailed = 12;

} // namespace result

/** A short English meaning of a result code, for diagnostics and the command-line tools, e.g.
    "malformed tar archive" for 2. Codes outside 0..12 give "unknown result code". The text is a
    static string. */
const char* resultCodeMeaning(ResultCode code) noexcept;
