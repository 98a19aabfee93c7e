#include "DSP/Data/GlobalProcessInfo.hpp"

float GlobalProcessInfo::sSampleRateHz = 44100.f;
float GlobalProcessInfo::sFrameSizeSamples = 256.f;
float GlobalProcessInfo::sLatencySamples = 1024.f;
