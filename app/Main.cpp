#include "BrisaSpeakerApp.h"

START_JUCE_APPLICATION (BrisaSpeakerApp)
