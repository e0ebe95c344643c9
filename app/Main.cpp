#include "app/OstrelPCApplication.h"

START_JUCE_APPLICATION(tessel::OstrelPCApplication)
