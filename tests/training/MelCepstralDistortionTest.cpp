#include "tools/training/MelCepstralDistortion.h"

#include "TrainingTestData.h"
#include "tools/training/SincResampler.h"
#include "tools/training/TrainingError.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MelCepstralDistortion, FrameDistortionIsTheDecibelFormula)
{
    const double a[3] = {0.1, 0.2, -0.3};
    const double b[3] = {0.0, 0.2, 0.0};
    // (10 / ln 10) sqrt(2 (0.01 + 0.09))
    EXPECT_NEAR(training::frameDistortionDb(a, b, 3), 10.0 / std::log(10.0) * std::sqrt(0.2), 1e-12);
    EXPECT_EQ(training::frameDistortionDb(a, a, 3), 0.0);
}

// Distortion is about the envelope: the recording against itself is 0 whatever its level or
// rate, and two speakers reading the same sentence are far apart (about 10 dB for these two).
TEST(MelCepstralDistortion, MeasuresEnvelopesNotLevelOrRate)
{
    training::DistortionMeter meter;
    const auto source = training_test::loadSpeech("vcc2016_SM1_100026.wav");
    const auto target = training_test::loadSpeech("vcc2016_TF1_100026.wav");

    EXPECT_NEAR(meter.measure(source, source).distortionDb, 0.0, 1e-9);
    training::Recording quieter = source;
    for (double& s : quieter.samples)
        s *= 0.25;
    EXPECT_LT(meter.measure(quieter, source).distortionDb, 0.05);
    const training::Recording upsampled{44100.0,
                                        training::resampleKeepingBandEdge(source.samples, 16000.0, 44100.0)};
    EXPECT_LT(meter.measure(upsampled, source).distortionDb, 0.8); // the band edge, 7.9 .. 8 kHz, is lost

    const auto speakers = meter.measure(source, target);
    EXPECT_GT(speakers.distortionDb, 9.0);
    EXPECT_LT(speakers.distortionDb, 12.0);
    EXPECT_GT(speakers.alignedFrames, 300u);
}

TEST(MelCepstralDistortion, RecordingWithoutSpeechIsRefused)
{
    training::DistortionMeter meter;
    const training::Recording silent{16000.0, std::vector<double>(16000, 0.0)};
    EXPECT_THROW(meter.measure(silent, training_test::loadSpeech("vcc2016_TF1_100026.wav")),
                 training::TrainingError);
}
