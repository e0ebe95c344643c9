#include "ui/Slice9.h"

#include "ui/UIScale.h"

namespace tessel
{
void rescaleSlice9(const juce::Image& sourceImage, const Slice9Insets& insets, juce::Image& outImage,
                   Slice9Insets& outInsets, float scale)
{
    const int w = sourceImage.getWidth();
    const int h = sourceImage.getHeight();

    if ((float)w * scale <= 4.0f || (float)h * scale <= 4.0f)
    {
        // Too small to be worth resampling. Keep what was there; with nothing there yet, fall back
        // to the source at its own size so that small images are not lost entirely.
        if (outImage.isNull())
        {
            outImage = sourceImage;
            outInsets = insets;
        }
        return;
    }

    outImage = sourceImage.rescaled((int)((float)w * scale), (int)((float)h * scale),
                                    juce::Graphics::highResamplingQuality);

    const int sw = outImage.getWidth();
    const int sh = outImage.getHeight();
    outInsets.left = (int)((float)insets.left * scale);
    outInsets.top = (int)((float)insets.top * scale);
    outInsets.right = sw - (int)((float)(w - insets.right) * scale);
    outInsets.bottom = sh - (int)((float)(h - insets.bottom) * scale);
}

void drawSlice9(juce::Graphics& g, const juce::Image& scaledImage, const Slice9Insets& scaledInsets,
                int width, int height, juce::Colour colour)
{
    if (!scaledImage.isValid() || width <= 0 || height <= 0)
        return;

    const int iw = scaledImage.getWidth();
    const int ih = scaledImage.getHeight();
    const int l = scaledInsets.left;
    const int t = scaledInsets.top;
    const int r = scaledInsets.right;
    const int b = scaledInsets.bottom;

    // Source column widths and row heights; the corners keep them in the target, the centre takes
    // what is left.
    const int srcX[3] = {l, r - l, iw - r};
    const int srcY[3] = {t, b - t, ih - b};
    const int dstX[3] = {l, width - l - (iw - r), iw - r};
    const int dstY[3] = {t, height - t - (ih - b), ih - b};

    g.setColour(colour);

    const bool fits = srcX[0] >= 0 && srcX[1] >= 0 && srcX[2] >= 0 && srcY[0] >= 0 && srcY[1] >= 0 &&
                      srcY[2] >= 0 && dstX[1] >= 0 && dstY[1] >= 0;

    if (!fits)
    {
        g.drawImage(scaledImage, 0, 0, width, height, 0, 0, iw, ih, true);
        return;
    }

    // Scaling down can round a one-pixel centre column or row of the source away (the large button
    // at a scale of 0.5 or less): the edges would vanish from the frame. They are then stretched
    // from the last pixel column or row of the left or top piece, which is the edge's own profile.
    const int srcX0[3] = {0, srcX[1] == 0 && l > 0 ? l - 1 : l, r};
    const int srcY0[3] = {0, srcY[1] == 0 && t > 0 ? t - 1 : t, b};
    const int srcW[3] = {srcX[0], srcX[1] == 0 && l > 0 ? 1 : srcX[1], srcX[2]};
    const int srcH[3] = {srcY[0], srcY[1] == 0 && t > 0 ? 1 : srcY[1], srcY[2]};

    juce::Image assembled(juce::Image::ARGB, width, height, true);
    {
        juce::Graphics ag(assembled);
        int dx = 0;

        // Column by column, top to bottom: top-left, left edge, bottom-left, top edge, centre, ...
        for (int col = 0; col < 3; ++col)
        {
            int dy = 0;

            for (int row = 0; row < 3; ++row)
            {
                if (srcW[col] > 0 && srcH[row] > 0 && dstX[col] > 0 && dstY[row] > 0)
                    ag.drawImage(scaledImage, dx, dy, dstX[col], dstY[row], srcX0[col], srcY0[row], srcW[col],
                                 srcH[row]);

                dy += dstY[row];
            }

            dx += dstX[col];
        }
    }

    g.drawImageAt(assembled, 0, 0, true);
}

Slice9::Slice9()
{
    setBufferedToImage(true);
}

Slice9::~Slice9() = default;

void Slice9::setImage(const juce::Image& image, const Slice9Insets& newInsets, juce::Colour colour)
{
    if (drawable == nullptr)
        drawable = std::make_unique<juce::DrawableImage>();

    drawable->setImage(image);
    drawable->setOverlayColour(colour);
    insets = &newInsets;
    dirty = true;
    repaint();
}

void Slice9::paint(juce::Graphics& g)
{
    if (drawable == nullptr || insets == nullptr)
        return;

    if (dirty)
    {
        const auto& source = drawable->getImage();

        if (source != scaledFrom)
        {
            scaledImage = {};
            scaledFrom = source;
        }

        rescaleSlice9(source, *insets, scaledImage, scaledInsets, getUIScale(*this));
        dirty = false;
    }

    const auto colour = drawable->getOverlayColour().withMultipliedAlpha(drawable->getOpacity());
    drawSlice9(g, scaledImage, scaledInsets, getWidth(), getHeight(), colour);
}

void Slice9::resized()
{
    dirty = true;
    repaint();
}
} // namespace tessel
