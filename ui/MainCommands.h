#pragma once

namespace tessel::commands
{
/** The application commands the main screen's buttons invoke. */
inline constexpr int showHideSettings = 15;
inline constexpr int softReset = 25;
inline constexpr int hardReset = 26;
} // namespace tessel::commands
