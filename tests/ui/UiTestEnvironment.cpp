#include "tests/ui/UiTestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace tessel::test
{
namespace
{
class UiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        juceInit = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        lookAndFeel = std::make_unique<LookAndFeel_Ostrel>();
        juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel.get());
        juce::Typeface::clearTypefaceCache();
    }

    void TearDown() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        lookAndFeel.reset();
        juceInit.reset();
    }

    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juceInit;
    std::unique_ptr<LookAndFeel_Ostrel> lookAndFeel;
};

UiEnvironment* const environment =
    static_cast<UiEnvironment*>(::testing::AddGlobalTestEnvironment(new UiEnvironment));
} // namespace

LookAndFeel_Ostrel& sharedLookAndFeel()
{
    return *environment->lookAndFeel;
}

juce::Image renderComponent(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, juce::jmax(1, component.getWidth()),
                      juce::jmax(1, component.getHeight()), true, juce::SoftwareImageType());
    juce::Graphics g(image);
    component.paintEntireComponent(g, true);
    return image;
}

juce::Colour pixel(const juce::Image& image, int x, int y)
{
    return image.getPixelAt(x, y);
}

bool near(juce::Colour a, juce::Colour b, int tolerance)
{
    auto close = [tolerance](int p, int q) { return std::abs(p - q) <= tolerance; };
    return close(a.getAlpha(), b.getAlpha()) && close(a.getRed(), b.getRed()) &&
           close(a.getGreen(), b.getGreen()) && close(a.getBlue(), b.getBlue());
}

int countVisiblePixels(const juce::Image& image, int threshold)
{
    int count = 0;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt(x, y).getAlpha() > threshold)
                ++count;

    return count;
}
} // namespace tessel::test
