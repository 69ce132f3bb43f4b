#pragma once

#include <portaudio.h>

// The stream callback; userData is the run's CallbackContext. Plays the noise source into every
// output frame and, unless the run is level-only, hands the input to the polling worker.
int measurementCallback (const void* input, void* output, unsigned long frameCount,
                         const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags,
                         void* userData);
