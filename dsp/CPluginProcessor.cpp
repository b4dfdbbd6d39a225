#include "dsp/CPluginProcessor.h"

CPluginProcessor::~CPluginProcessor()
{
  if (LogOpen && LogFile != nullptr)
    std::fclose(LogFile);
  LogFile = nullptr;
  LogOpen = false;
}
