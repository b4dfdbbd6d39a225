// The processor interface of the DSP blocks and its older sibling
// CPluginProcessor1, the base of the classic engine.
#pragma once

#include <cstdint>
#include <cstdio>

// The common interface of every DSP block (CMBiQuadFilter, CMGain6Ch, CMRMS,
// CMRMS_N, CMEBUR128). A block processes arrays of double-precision channel
// buffers, knows its channel counts and sample rate, exposes numbered
// parameters and read-outs and has a short name.
//
// The member defaults below are what every subclass starts from.
class CPluginProcessor
{
public:
  CPluginProcessor() = default;
  CPluginProcessor(const CPluginProcessor&) = delete;
  CPluginProcessor& operator=(const CPluginProcessor&) = delete;

  // Subclasses free their own state; the base then closes the diagnostic
  // log when its flag is set.
  virtual ~CPluginProcessor();

  virtual void Process(double** inputs, double** outputs, int32_t frames) = 0;
  virtual void SetNumInputs(uint32_t count) = 0;
  virtual void SetNumOutputs(uint32_t count) = 0;
  virtual void SetSampleRate(double rate) = 0;
  virtual int32_t GetNumParams() = 0;
  virtual void SetParam(int32_t index, double value) = 0;
  virtual void Reserved8() {}
  virtual void Reserved9() {}
  virtual double GetParam(int32_t index) = 0;
  virtual double GetMeterValue(int32_t index) { return 0.0; }
  virtual int32_t Reserved12() { return 0; }
  virtual int32_t Reserved13() { return 0; }
  // Writes the block's name with its terminating zero into buffer.
  virtual bool GetName(char* buffer) = 0;
  virtual void SetOptionA(int32_t flag) { OptionA = static_cast<uint8_t>(flag & 0xff); }
  virtual uint8_t GetOptionA() { return OptionA; }
  virtual void SetOptionB(int32_t flag) { OptionB = static_cast<uint8_t>(flag & 0xff); }
  virtual uint8_t GetOptionB() { return OptionB; }
  virtual void Reserved19() {}

  // Fields.
  uint32_t NumInputs = 2;
  uint32_t NumOutputs = 2;
  double SampleRate = 44100.0;
  // Optional diagnostic log: nothing in the system opens it.
  bool LogOpen = false;
  std::FILE* LogFile = nullptr;
  uint8_t OptionA = 1;  // the block is enabled (the processor chain runs only these)
  uint8_t OptionB = 0;  // stored and returned only
};

// The same operations in the same order as CPluginProcessor, without
// Reserved19 and without the diagnostic log.
class CPluginProcessor1
{
public:
  CPluginProcessor1() = default;
  CPluginProcessor1(const CPluginProcessor1&) = delete;
  CPluginProcessor1& operator=(const CPluginProcessor1&) = delete;
  virtual ~CPluginProcessor1() = default;

  virtual void Process(double** inputs, double** outputs, int32_t frames) = 0;
  virtual void SetNumInputs(uint32_t count) = 0;
  virtual void SetNumOutputs(uint32_t count) = 0;
  virtual void SetSampleRate(double rate) = 0;
  virtual int32_t GetNumParams() = 0;
  virtual void SetParam(int32_t index, double value) = 0;
  virtual void Reserved8() {}
  virtual void Reserved9() {}
  virtual double GetParam(int32_t index) = 0;
  virtual double GetMeterValue(int32_t index) { return 0.0; }
  virtual int32_t Reserved12() { return 0; }
  virtual int32_t Reserved13() { return 0; }
  virtual bool GetName(char* buffer) = 0;
  virtual void SetOptionA(int32_t flag) { OptionA = static_cast<uint8_t>(flag & 0xff); }
  virtual uint8_t GetOptionA() { return OptionA; }
  virtual void SetOptionB(int32_t flag) { OptionB = static_cast<uint8_t>(flag & 0xff); }
  virtual uint8_t GetOptionB() { return OptionB; }

  uint32_t NumInputs = 2;
  uint32_t NumOutputs = 2;
  double SampleRate = 44100.0;
  uint8_t OptionA = 1;
  uint8_t OptionB = 0;
};
