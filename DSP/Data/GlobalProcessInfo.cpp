#include "DSP/Data/GlobalProcessInfo.hpp"

GlobalProcessInfo::Values GlobalProcessInfo::sProcessWide;
thread_local GlobalProcessInfo::Values* GlobalProcessInfo::sCurrent = nullptr;
