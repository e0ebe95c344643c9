#pragma once

class Pupack;

namespace tessel
{

/** What the model library drives in the audio service: the model the converter runs, the model's
    offset gain and its GV coefficient. All three are called on the message thread. */
class PupackAudioTarget
{
public:
    virtual ~PupackAudioTarget() = default;

    /** Hands a package (not owned; null for none) to the voice converter and rebuilds its engine.
        The library keeps the package alive until it hands over another one or null. */
    virtual void setModel(Pupack* model) = 0;

    /** Sets the offset gain of the converted voice, in dB. */
    virtual void setOffsetDecibel(float decibels) = 0;

    /** Sets the voice converter's GV coefficient (its parameter "GVCoefficient", 0 to 1). */
    virtual void setCoefficientGV(float coefficient) = 0;
};

} // namespace tessel
