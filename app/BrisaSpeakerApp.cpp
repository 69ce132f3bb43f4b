#include "BrisaSpeakerApp.h"
