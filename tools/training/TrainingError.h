#pragma once

#include <stdexcept>
#include <string>

namespace training
{

/** A failure of model training or evaluation that the user can cause and fix: an unreadable or
    unmatched recording, an unusable option, too little speech to train on. The message names the
    file or the option and says what is wrong; the command-line tools print it as it stands. */
class TrainingError : public std::runtime_error
{
public:
    explicit TrainingError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace training
