#pragma once

#include <portaudio.h>

// The stream callbacks; userData is the run's CallbackContext. The output stream's plays the
// noise source into every frame and completes after its last frames; the input stream's appends
// the microphone's samples to the capture buffer.
int playbackCallback (const void* input, void* output, unsigned long frameCount,
                      const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags, void* userData);

int captureCallback (const void* input, void* output, unsigned long frameCount,
                     const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags, void* userData);
