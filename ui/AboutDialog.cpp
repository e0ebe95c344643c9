#include "ui/AboutDialog.h"

#include "ui/InterfaceImages.h"

#ifndef TAVILO_VERSION_STRING
#error "TAVILO_VERSION_STRING must be defined by the build"
#endif

namespace tessel
{
const char* const AboutDialog::applicationVersion = TAVILO_VERSION_STRING;
const char* const AboutDialog::distributionLabel = "Open Source Edition";
AboutDialog* AboutDialog::openDialog = nullptr;

namespace
{
constexpr int componentWidth = 352;
constexpr int componentHeight = 198;
constexpr int imageBand = 64;
constexpr int imageGap = 32;
constexpr int labelRow = 18;
constexpr int itemGap = 4;
} // namespace

AboutDialog::AboutComponent::AboutComponent()
{
    setSize(componentWidth, componentHeight);
    icon.setImage(getInterfaceImage("icon_tavilo_master_20190328_1024x1024-64.png"));
    nameLabel.setText(juce::translate("General_AppName"), juce::dontSendNotification);
    versionLabel.setText(versionText(), juce::dontSendNotification);
    noticeLabel.setText(juce::translate("General_Copyright"), juce::dontSendNotification);
    for (auto* label : {&nameLabel, &versionLabel, &noticeLabel})
        label->setJustificationType(juce::Justification::centred);

    items = {&icon, &nameLabel, &versionLabel, &noticeLabel};
    for (auto* item : items)
        content.addAndMakeVisible(item);

    content.setBounds(0, 0, componentWidth - 10, stackItems(componentWidth - 10));
    viewport.setBounds(0, 0, componentWidth, componentHeight);
    viewport.setViewedComponent(&content, false);
    addAndMakeVisible(viewport);
}

juce::String AboutDialog::AboutComponent::versionText()
{
    return juce::String("Version ") + applicationVersion + " " + distributionLabel;
}

int AboutDialog::AboutComponent::stackItems(int width)
{
    int offset = 0;
    for (auto* item : items)
    {
        if (auto* image = dynamic_cast<juce::DrawableImage*>(item))
        {
            if (offset > 0)
                offset += imageGap;
            const auto picture = image->getImage();
            if (picture.isValid())
            {
                const float scale =
                    juce::jmin(static_cast<float>(width) / static_cast<float>(picture.getWidth()),
                               static_cast<float>(imageBand) / static_cast<float>(picture.getHeight()));
                const auto band =
                    juce::Rectangle<float>(0.0f, static_cast<float>(offset), static_cast<float>(width),
                                           static_cast<float>(imageBand));
                const auto size = juce::Rectangle<float>(static_cast<float>(picture.getWidth()) * scale,
                                                         static_cast<float>(picture.getHeight()) * scale);
                image->setTransformToFit(size.withCentre(band.getCentre()),
                                         juce::RectanglePlacement::centred);
            }
            offset += imageBand;
        }
        else
        {
            item->setBounds(0, offset, width, labelRow);
            offset += labelRow;
        }
        offset += itemGap;
    }
    return offset;
}

AboutDialog::AboutDialog()
    : juce::AlertWindow(juce::translate("AboutDlg_Title"), juce::String(), juce::MessageBoxIconType::NoIcon)
{
    addCustomComponent(&aboutComponent);
    addButton(juce::translate("General_Close"), 1, juce::KeyPress(juce::KeyPress::returnKey));
}

AboutDialog::~AboutDialog()
{
    if (openDialog == this)
        openDialog = nullptr;
}

void AboutDialog::show()
{
    if (openDialog != nullptr)
        return;

    auto dialog = std::make_unique<AboutDialog>();
    openDialog = dialog.get();
    dialog->runModalLoop();
    dialog.reset();
}
} // namespace tessel
