#include "audio/RestartActionDelegate.h"

#include "audio/OstrelAudioService.h"

namespace tessel
{

RestartActionDelegate::~RestartActionDelegate() = default;

RestartAudioProcessorActionDelegate::RestartAudioProcessorActionDelegate(OstrelAudioService& owner)
    : service(&owner)
{
}

RestartAudioProcessorActionDelegate::~RestartAudioProcessorActionDelegate()
{
    cancelPendingUpdate();
}

void RestartAudioProcessorActionDelegate::beginAction()
{
    // The state is set before the update is posted: the action may run on the message thread
    // before this returns, and its "fading in" must not be overwritten by "under way".
    state = actionUnderWay;
    triggerAsyncUpdate();
}

void RestartAudioProcessorActionDelegate::handleAsyncUpdate()
{
    service->rebuildGraph([this] { state = fadingIn; });
}

RestartAudioDeviceActionDelegate::RestartAudioDeviceActionDelegate(OstrelAudioService& owner)
    : service(&owner)
{
}

RestartAudioDeviceActionDelegate::~RestartAudioDeviceActionDelegate()
{
    cancelPendingUpdate();
}

void RestartAudioDeviceActionDelegate::beginAction()
{
    state = actionUnderWay;
    triggerAsyncUpdate();
}

void RestartAudioDeviceActionDelegate::handleAsyncUpdate()
{
    auto& deviceManager = service->getDeviceManager();
    deviceManager.closeAudioDevice();
    deviceManager.restartLastAudioDevice();
    state = fadingIn;
}

} // namespace tessel
