#pragma once

#include "package/ResultCode.h"

#include <cstdint>
#include <memory>

class Pupack;
class Vocaform_private;

/** The voice-conversion engine as the application uses it: one mono channel in, converted in
    place.

    A caller gives it a model package and an engine rate, prepares it, sets its four parameters and
    then passes blocks of samples (−1..1, at the engine rate) through `process`. Blocks may have any
    length; they are collected into internal blocks of 5 ms (80, 221 or 240 samples at 16000, 44100
    or 48000 Hz). Each internal block goes through the input noise gate, the pitch shifter (when the
    model's "pitch" is not 1), the conversion pipeline and the adaptive limiter, and comes back out
    one block later. The first 25 processed blocks (125 ms) come out silent while the pipeline
    settles.

    Calling order: construct; `setPupack`; `setSampleRate`; parameters; `prepare`; then `process`
    for every audio block. After a new package or rate, `prepare` again. Parameters 0 and 2 act at
    once; parameters 1 and 3 at the next `prepare`.

    Failures are result codes, never exceptions: a model whose parameter data the engine refuses
    (unreadable, inconsistent or not finite) makes `prepare` return 3, and `process` then leaves
    the audio untouched, so the voice is heard unconverted. The facade has no lock: the caller
    serialises every call. Each facade owns all its state, so several may run side by side on
    different threads. `process` allocates nothing. */
class Vocaform
{
public:
    /** Parameter identifiers. */
    enum Parameter : std::int32_t
    {
        /** double, 0..1: strength of the global-variance post-filter. */
        ParamGvCoefficient = 0,
        /** flag: whether `prepare` builds the input noise gate. */
        ParamNoiseGateEnabled = 1,
        /** double: trigger level of the noise gate (the gate uses it clamped to 0..1). */
        ParamNoiseGateTrigger = 2,
        /** flag: whether `prepare` builds the adaptive limiter and its dry delay. */
        ParamLimiterEnabled = 3
    };

    /** Silent blocks output after every successful `prepare` with a package. */
    static constexpr int silentBlocksAfterPrepare = 25;

    /** Delay of the limiter's dry signal in samples, at every rate (the pipeline's delay at
        44100 Hz). */
    static constexpr std::int32_t dryDelaySamples = 1435;

    /** Delay of the adaptive limiter in samples, at every rate. */
    static constexpr std::int32_t limiterDelaySamples = 441;

    /** Energy window of the adaptive limiter in samples, at every rate. */
    static constexpr std::int32_t limiterWindowSamples = 882;

    /** Engine rate 44100 Hz, gate on, limiter on, parameter 0 = 1, trigger 0.005, no package. */
    Vocaform();

    /** Destroys the engine and the stages around it (not the package). */
    virtual ~Vocaform();

    Vocaform(const Vocaform&) = delete;
    Vocaform& operator=(const Vocaform&) = delete;

    /** Engine rate for the next `prepare`: exactly 16000, 44100 or 48000 Hz gives 0; any other
        value gives 1 and changes nothing. */
    ResultCode setSampleRate(double rate);

    /** The engine rate set last, Hz. */
    double sampleRate() const;

    /** Stores the package (null for none; not owned, the caller keeps it alive while the facade
        holds it) and leaves the facade unprepared. Always 0. */
    ResultCode setPupack(Pupack* package);

    /** Value of a double parameter (ids 0 and 2); 4 for other ids. */
    ResultCode getParameter(std::int32_t id, double& value) const;

    /** Value of a flag parameter (ids 1 and 3); 4 for other ids. */
    ResultCode getParameter(std::int32_t id, bool& value) const;

    /** Sets a double parameter. Id 0 is clamped to 0..1 and reaches a prepared engine at once;
        id 2 is stored as given and reaches the gate at the next `process`. 4 for other ids, 1 (and
        nothing changes) for a value that is not finite. */
    ResultCode setParameter(std::int32_t id, double value);

    /** Sets a flag parameter (ids 1 and 3), in effect from the next `prepare`; 4 for other ids. */
    ResultCode setParameter(std::int32_t id, bool value);

    /** Builds the engine and its stages for the package at the engine rate.
        0 when ready (also without a package: `process` then leaves every block untouched);
        the package's load code (9, 10, 11, 12) when it does not load; 1 when it lacks the
        engine rate; 7 without "dyn.win"; 10 when a member of the rate is missing; 3 when the
        engine refuses the model's data or memory runs out. After a failure the facade is not
        ready and `process` leaves the audio untouched. Writes "mSilence = 25" to standard output
        when ready with a package. */
    ResultCode prepare();

    /** Converts count samples in place; each leaves `latencySamples()` samples after it entered.
        Before a successful `prepare`, or without a package, the samples are left untouched.
        0, or 1 for a null array with a positive count. Allocates nothing. */
    ResultCode process(double* samples, std::int32_t count);

    /** Whether the last `prepare` succeeded. */
    bool isReady() const;

    /** Whether the prepared facade runs a noise gate, a pitch shifter, a limiter (with its dry
        delay). All false when not ready. */
    bool hasNoiseGate() const;
    bool hasPitchShifter() const;
    bool hasLimiter() const;

    /** Internal block length in samples of the prepared engine (0 when none). */
    std::int64_t blockSize() const;

    /** Delay of the voice through `process` in samples at the engine rate, for the prepared
        configuration: the gate's look-ahead (1 ms: 16, 44 or 48 samples) when the gate is on, one
        block, the pipeline's delay (400, 1435, 1560), the limiter's 441 when it is on, and the
        pitch shifter's average delay when present. Without the shifter the figure is exact: with
        gate and limiter on at 44100 Hz, 44 + 221 + 1435 + 441 = 2141. The shifter's delay varies
        with the voice; with W = 2 × floor(rate / 60) (1470 at 44100 Hz, 532 at 16000 Hz) the
        figure counts 5/8 W for a pitch above 1 and 7/8 W below 1, which speech through it meets
        within W/8. 0 when not ready or without a package (the samples
        then pass untouched). */
    std::int64_t latencySamples() const;

    /** The facade's version, "2.1.0". */
    static const char* version();

private:
    std::unique_ptr<Vocaform_private> impl;
};
