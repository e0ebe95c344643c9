#include "ui/MainLayout.h"

namespace tessel
{
double MainLayout::contentAspect(int displayWidth)
{
    const int d = juce::jmax((int)(0.7 * displayWidth), 1065);
    return (double)d / (double)(int)(d / 1.6);
}

int MainLayout::mainDisplayWidth()
{
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;

    for (const auto& display : displays)
        if (display.isMain)
            return display.userArea.getWidth();

    return displays.isEmpty() ? 0 : displays.getReference(0).userArea.getWidth();
}

MainLayout MainLayout::compute(juce::Point<int> parentSize, juce::Point<int> screenSize, int displayWidth)
{
    MainLayout layout;
    const double a = contentAspect(displayWidth);
    const double w = screenSize.x;
    const double h = screenSize.y;

    double cw = a * h;
    double ch = h;

    if (h > 0.0 && w / h < a)
    {
        cw = w;
        ch = w / a;
    }

    const double x0 = parentSize.x / 2.0 - cw / 2.0;
    const double y0 = parentSize.y / 2.0 - ch / 2.0;
    layout.content = {(float)x0, (float)y0, (float)cw, (float)ch};

    const double m = 0.0139 * cw;
    const double left = x0 + m;
    const double inner = juce::jmax(cw - 2.0 * m, 0.0);

    // Widths are clamped to what is left of the inner width, heights to what is left of the content
    // height, as each part is placed.
    double heightLeft = ch;
    auto takeHeight = [&heightLeft](double wanted)
    {
        const double taken = juce::jlimit(0.0, juce::jmax(heightLeft, 0.0), wanted);
        heightLeft -= taken;
        return taken;
    };

    auto rect = [](double x, double y, double rw, double rh)
    { return juce::Rectangle<float>((float)x, (float)y, (float)rw, (float)rh); };

    const double headerHeight = takeHeight(0.156 * ch);
    layout.header = rect(left, y0, inner, headerHeight);

    const double y1 = y0 + headerHeight;
    const double h1 = takeHeight(0.52161652 * ch);
    {
        double widthLeft = inner;
        double x = left;
        auto next = [&](double wanted)
        {
            const double taken = juce::jlimit(0.0, juce::jmax(widthLeft, 0.0), wanted);
            const double at = x;
            widthLeft -= taken;
            x += taken;
            return std::pair<double, double>(at, taken);
        };

        const auto [inputX, inputW] = next(0.38197097 * 2.0 * inner / 3.0);
        const auto [modelX, modelW] = next(0.61802906 * 2.0 * inner / 3.0);
        next(0.38197097 * inner / 3.0);
        const auto [outputX, outputW] = next(widthLeft);
        layout.input = rect(inputX, y1, inputW, h1);
        layout.model = rect(modelX, y1, modelW, h1);
        layout.output = rect(outputX, y1, outputW, h1);
    }

    const double footerHeight = juce::jmin(juce::jmax(heightLeft, 0.0), 0.04 * ch);
    layout.footer = rect(left, y0 + ch - footerHeight, inner, footerHeight);

    const double y2 = y1 + h1;
    const double h2 = juce::jmax(0.0, juce::jmin(ch - 0.156 * ch - h1 - footerHeight, 0.28238344 * ch));
    {
        double widthLeft = inner;
        double x = left;
        auto next = [&](double wanted)
        {
            const double taken = juce::jlimit(0.0, juce::jmax(widthLeft, 0.0), wanted);
            const auto r = rect(x, y2, taken, h2);
            widthLeft -= taken;
            x += taken;
            return r;
        };

        layout.auxInput = next(0.38197097 * inner / 3.0);
        layout.ducking = next(0.61802906 * inner / 3.0);
        layout.mixLevel = next(inner / 6.0);
        layout.reverb = next(inner / 3.0);
        layout.noiseGate = next(widthLeft);
    }

    return layout;
}
} // namespace tessel
