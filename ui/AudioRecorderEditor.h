#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace tessel
{
class OstrelAudioService;

/** The recorder panel of the settings: a title, the caption "Save Directory:", the folder of the
    user recordings, a Browse button and, below, the name the next recording will get.

    Browse asks for a folder; a cancelled choice changes nothing. The chosen path is made legal
    before it is stored (`makeLegalDirectoryPath`). Layout, for W x H: the title over the top 0.4 of
    the height; below it a row of 0.4 of the height with the caption (0.2 of the width), the
    directory (0.65), a gap (0.02) and the button (the rest); the output label fills the rest.
    Message thread only. */
class AudioRecorderEditor : public juce::Component
{
public:
    /** Asks the user for a folder and calls back with it, or with a null file when cancelled. */
    using DirectoryChooser = std::function<void(std::function<void(const juce::File&)> chosen)>;

    /** A panel for the service's recording folder (the service is not owned and outlives the
        panel). */
    explicit AudioRecorderEditor(OstrelAudioService& audioService);
    ~AudioRecorderEditor() override;

    /** Shows the recording folder's full path and the next recording's name ("Recording data will
        save to" followed directly by the quoted name), then repaints. */
    void refresh();

    void resized() override;

    /** Replaces the folder chooser that Browse opens (the default is the system's folder chooser,
        titled "Setting Save Directory", with no initial folder). */
    void setDirectoryChooser(DirectoryChooser chooser);

    /** The path as stored: a leading drive prefix (a first character followed by ":") is kept; from
        the rest every one of the characters "\"#@,;:<>*^|?" is removed and it is cut to 1024
        characters. */
    static juce::String makeLegalDirectoryPath(const juce::String& path);

    juce::Label& getTitleLabel() noexcept { return titleLabel; }
    juce::Label& getCaptionLabel() noexcept { return captionLabel; }
    juce::Label& getDirectoryLabel() noexcept { return directoryLabel; }
    juce::TextButton& getBrowseButton() noexcept { return browseButton; }
    juce::Label& getOutputLabel() noexcept { return outputLabel; }

private:
    void browse();
    void launchSystemChooser(std::function<void(const juce::File&)> chosen);
    static void setFontHeight(juce::Label& label, float height);

    OstrelAudioService& audioService;
    juce::Label titleLabel;
    juce::Label captionLabel;
    juce::Label directoryLabel;
    juce::TextButton browseButton;
    juce::Label outputLabel;

    DirectoryChooser directoryChooser;
    std::unique_ptr<juce::FileChooser> fileChooser;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioRecorderEditor)
};
} // namespace tessel
