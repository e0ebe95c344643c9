#include "ui/AudioRecorderEditor.h"

#include "audio/OstrelAudioService.h"

namespace tessel
{
AudioRecorderEditor::AudioRecorderEditor(OstrelAudioService& service) : audioService(service)
{
    titleLabel.setText(juce::translate("SettingUI_Recorder"), juce::dontSendNotification);
    titleLabel.setJustificationType(juce::Justification::centred);
    captionLabel.setText(juce::translate("Recording_SaveDirectory"), juce::dontSendNotification);
    captionLabel.setJustificationType(juce::Justification::centredRight);
    directoryLabel.setJustificationType(juce::Justification::centredLeft);
    directoryLabel.setEditable(false, false, false);
    browseButton.setButtonText(juce::translate("Recording_Browse"));
    browseButton.onClick = [this] { browse(); };
    outputLabel.setJustificationType(juce::Justification::centred);

    addAndMakeVisible(titleLabel);
    addAndMakeVisible(captionLabel);
    addAndMakeVisible(directoryLabel);
    addAndMakeVisible(browseButton);
    addAndMakeVisible(outputLabel);

    directoryChooser = [this](std::function<void(const juce::File&)> chosen)
    { launchSystemChooser(std::move(chosen)); };

    refresh();
}

AudioRecorderEditor::~AudioRecorderEditor() = default;

void AudioRecorderEditor::setDirectoryChooser(DirectoryChooser chooser)
{
    directoryChooser = std::move(chooser);
}

juce::String AudioRecorderEditor::makeLegalDirectoryPath(const juce::String& path)
{
    juce::String prefix;
    juce::String rest = path;
    if (path.length() >= 2 && path[1] == ':')
    {
        prefix = path.substring(0, 2);
        rest = path.substring(2);
    }
    return prefix + rest.removeCharacters("\"#@,;:<>*^|?").substring(0, 1024);
}

void AudioRecorderEditor::refresh()
{
    directoryLabel.setText(audioService.getRecordingDirectory().getFullPathName(),
                           juce::dontSendNotification);
    // The name the service will really use: a second recording of the day gets a sibling's name.
    const auto name = audioService.getNextRecordingFile().getFileName();
    outputLabel.setText(juce::translate("Recording_OutputFileName") + "\"" + name + "\"",
                        juce::dontSendNotification);
    repaint();
}

void AudioRecorderEditor::browse()
{
    if (!directoryChooser)
        return;

    // The answer may come after the panel is gone.
    juce::Component::SafePointer<AudioRecorderEditor> panel(this);
    directoryChooser(
        [panel](const juce::File& directory)
        {
            if (panel == nullptr || directory == juce::File())
                return;
            panel->audioService.setRecordingDirectory(
                juce::File(makeLegalDirectoryPath(directory.getFullPathName())));
            panel->refresh();
        });
}

void AudioRecorderEditor::launchSystemChooser(std::function<void(const juce::File&)> chosen)
{
    fileChooser = std::make_unique<juce::FileChooser>(
        juce::translate("Recording_DlgTitle_SettingSaveDirectory"), juce::File(), juce::String());
    fileChooser->launchAsync(
        juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories,
        [chosen = std::move(chosen)](const juce::FileChooser& chooser) { chosen(chooser.getResult()); });
}

void AudioRecorderEditor::setFontHeight(juce::Label& label, float height)
{
    const float limited = juce::jlimit(0.1f, 10000.0f, height);
    if (label.getFont().getHeight() != limited)
        label.setFont(label.getFont().withHeight(limited));
}

void AudioRecorderEditor::resized()
{
    const int width = getWidth();
    const int height = getHeight();

    const int titleHeight = juce::jmin(height, static_cast<int>(0.4 * height));
    titleLabel.setBounds(0, 0, width, titleHeight);
    setFontHeight(titleLabel, 0.6f * static_cast<float>(titleHeight));

    const int rowHeight = juce::jmin(height - titleHeight, static_cast<int>(0.4 * height));
    const int captionWidth = juce::jmin(width, static_cast<int>(0.2 * width));
    captionLabel.setBounds(0, titleHeight, captionWidth, rowHeight);
    setFontHeight(captionLabel, 0.5f * static_cast<float>(rowHeight));

    const int directoryWidth = juce::jmin(width - captionWidth, static_cast<int>(0.65 * width));
    directoryLabel.setBounds(captionWidth, titleHeight, directoryWidth, rowHeight);
    setFontHeight(directoryLabel, 0.4f * static_cast<float>(rowHeight));

    const int gap = juce::jmin(width - captionWidth - directoryWidth, static_cast<int>(0.02 * width));
    const int buttonX = captionWidth + directoryWidth + gap;
    browseButton.setBounds(buttonX, titleHeight, width - buttonX, rowHeight);

    const int outputHeight = height - titleHeight - rowHeight;
    outputLabel.setBounds(0, titleHeight + rowHeight, width, outputHeight);
    // The output line has no size of its own in the layout: as large as the directory text, and
    // small enough for its row.
    setFontHeight(outputLabel,
                  juce::jmin(0.4f * static_cast<float>(rowHeight), 0.8f * static_cast<float>(outputHeight)));
}
} // namespace tessel
