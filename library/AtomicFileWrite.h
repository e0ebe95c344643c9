#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <functional>

namespace tessel
{

/** Writes data to target so that target is never seen half-written: the bytes go to a hidden
    temporary file beside it (".<name>.<random>.partial"), which is flushed to the disk and then
    renamed over target. When verify is given, it is asked about the complete temporary file before
    the rename, and a false answer fails the write. An existing target stays as it was until the
    rename, and a failed write removes the temporary file. The result says what failed. */
juce::Result writeFileAtomically(const juce::File& target, const void* data, std::size_t size,
                                 const std::function<bool(const juce::File&)>& verify = {});

/** Whether file is the temporary file of a write that never finished (a crash or power loss
    between writing and renaming). */
bool isUnfinishedWrite(const juce::File& file);

/** Deletes the temporary files of unfinished writes in folder and its sub-folders. */
void removeUnfinishedWrites(const juce::File& folder);

} // namespace tessel
