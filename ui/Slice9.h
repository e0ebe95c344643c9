#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace tessel
{
/** Where a nine-slice image is cut, in source pixels. left and top are the width of the left column
    and the height of the top row; right and bottom are the x and y where the right column and the
    bottom row start (not their widths). */
struct Slice9Insets
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const Slice9Insets&) const = default;
};

/** Small button, 43 x 43: "button_small_default_slice9_l20_t20_r24_b24.png" and its selected form. */
inline constexpr Slice9Insets smallButtonInsets{20, 20, 24, 24};
/** Large button, 105 x 105: "button_large_default_slice9_l52_t52_r53_b53.png". */
inline constexpr Slice9Insets largeButtonInsets{52, 52, 53, 53};
/** HUD panel, 431 x 431: "hud_panel_slice9_l205_t190_r225_b240.png". */
inline constexpr Slice9Insets hudPanelInsets{205, 190, 225, 240};
/** Hairline, 4 x 4: "hairline_slice9_l1_t1_r3_b3.png". */
inline constexpr Slice9Insets hairlineInsets{1, 1, 3, 3};

/** Rescales a nine-slice source image by scale into outImage and outInsets.

    The scaled image is (int) (W * scale) x (int) (H * scale) pixels, resampled with high quality. The
    left and top insets scale directly; the right and bottom columns scale from their widths, so
    outInsets.right = W' - (int) ((W - right) * scale), likewise for bottom.

    A scaled size of 4 pixels or less in either direction is not made. Then the previous outImage and
    outInsets stay in use; when there is no previous image (outImage is null), the source itself and its
    insets are used at scale 1, so a small image such as the 4 x 4 hairline still draws. */
void rescaleSlice9(const juce::Image& sourceImage, const Slice9Insets& insets, juce::Image& outImage,
                   Slice9Insets& outInsets, float scale);

/** Paints a scaled nine-slice image into the area (0, 0, width, height) as an alpha mask in colour.

    The corners keep their size, the edges stretch in one direction and the centre in both. When the
    area is too small for the corners (or the insets do not fit the image), the whole image is drawn
    stretched instead. A null image or an empty area draws nothing. */
void drawSlice9(juce::Graphics& g, const juce::Image& scaledImage, const Slice9Insets& scaledInsets,
                int width, int height, juce::Colour colour);

/** A component showing one nine-slice image, scaled by the interface scale (getUIScale) and tinted by
    its drawable's overlay colour and opacity. It is buffered to an image, so it repaints only when it
    is resized or marked dirty.

    Owners set the image, overlay colour and opacity on the drawable and assign insets; after changing
    the image they set dirty (or call setImage, which does all of it and repaints). */
class Slice9 : public juce::Component
{
public:
    Slice9();
    ~Slice9() override;

    /** Sets the source image, its insets and the tint, marks the slice dirty and repaints. */
    void setImage(const juce::Image& image, const Slice9Insets& newInsets, juce::Colour colour);
    /** The insets are kept by address: pass one of the constant records, not a temporary. */
    void setImage(const juce::Image&, const Slice9Insets&&, juce::Colour) = delete;

    void paint(juce::Graphics& g) override;
    void resized() override;

    /** Holds the source image, its opacity and its overlay colour. Nothing is drawn without it. */
    std::unique_ptr<juce::DrawableImage> drawable;
    /** One of the four constant inset records; nothing is drawn while it is null. */
    const Slice9Insets* insets = nullptr;
    /** The scaled image must be rebuilt before the next paint. */
    bool dirty = true;

private:
    juce::Image scaledImage;
    Slice9Insets scaledInsets;
    // The source the scaled image was made from: a new source must not keep showing the old one's
    // scaled picture when the new scale is too small to rescale.
    juce::Image scaledFrom;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Slice9)
};
} // namespace tessel
