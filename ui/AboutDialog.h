#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace tessel
{
/** The About dialog: the application icon, its name, "Version 1.5.0 Open Source Edition" and the
    legal notice, stacked in a 352 x 198 view, with a Close button that also answers Return. It runs
    modally; at most one is open at a time. Message thread only. */
class AboutDialog : public juce::AlertWindow
{
public:
    /** The application's version. */
    static const char* const applicationVersion;
    /** Which distribution this build is. */
    static const char* const distributionLabel;

    /** The dialog's content: the stacked items in a viewport. */
    class AboutComponent : public juce::Component
    {
    public:
        AboutComponent();

        /** "Version " + the application version + " " + the distribution label. */
        static juce::String versionText();

        /** Places the items from the top of a content component of that width: an image is scaled
            into a band 64 pixels high (with 32 pixels above it unless it comes first), a label gets
            a row of 18 pixels, and 4 pixels follow every item. Returns the height used. */
        int stackItems(int width);

        juce::DrawableImage& getIcon() noexcept { return icon; }
        juce::Label& getNameLabel() noexcept { return nameLabel; }
        juce::Label& getVersionLabel() noexcept { return versionLabel; }
        juce::Label& getNoticeLabel() noexcept { return noticeLabel; }
        juce::Component& getContent() noexcept { return content; }

    private:
        juce::DrawableImage icon;
        juce::Label nameLabel;
        juce::Label versionLabel;
        juce::Label noticeLabel;
        std::vector<juce::Component*> items;
        juce::Viewport viewport;
        juce::Component content;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AboutComponent)
    };

    AboutDialog();
    ~AboutDialog() override;

    /** Shows the dialog and waits until it is closed, unless one is open already (then returns at
        once). */
    static void show();

    /** The dialog that is open, or null. */
    static AboutDialog* getOpenDialog() noexcept { return openDialog; }

    AboutComponent& getAboutComponent() noexcept { return aboutComponent; }

private:
    static AboutDialog* openDialog;
    AboutComponent aboutComponent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AboutDialog)
};
} // namespace tessel
