#pragma once

#include "library/PupackAudioTarget.h"

#include <memory>

namespace tessel
{

class OstrelAudioService;

/** The model library's view of the application's audio service: the model goes to the service's
    conversion processor, the offset gain to its gain stage and the GV coefficient to the conversion
    processor's parameter "GVCoefficient".

    Holds the service weakly: once the service is gone (it is released before the library at
    shutdown) every call does nothing. Message thread only. */
class AudioServicePupackTarget : public PupackAudioTarget
{
public:
    explicit AudioServicePupackTarget(std::weak_ptr<OstrelAudioService> audioService);

    void setModel(Pupack* model) override;
    void setOffsetDecibel(float decibels) override;
    /** Sets the parameter under the service's graph lock, without notifying listeners, as the
        service writes its stored values. */
    void setCoefficientGV(float coefficient) override;

private:
    std::weak_ptr<OstrelAudioService> service;
};

} // namespace tessel
