#include "dsp/BufferHelpers.h"

#include <cstring>
#include <limits>

void DbToGain(double* out, double db)
{
  *out = db > kSilenceDb ? std::exp(kDbToLn * db) : 0.0;
}

void UnityGain(double* out)
{
  *out = 1.0;
}

void ApplyGain(const double* gain, const double* in, double* out, int32_t n)
{
  const double g = *gain;
  for (int32_t i = 0; i < n; ++i)
    out[i] = in[i] * g;
}

double** AllocateChannelBuffers(int32_t frames, int32_t channels)
{
  if (channels <= 0)
    return new double*[1]{nullptr};
  double** buffers = new double*[static_cast<size_t>(channels)];
  const size_t n = frames > 0 ? static_cast<size_t>(frames) : 0;
  for (int32_t c = 0; c < channels; ++c)
    buffers[c] = new double[n > 0 ? n : 1];
  return buffers;
}

void FreeChannelBuffers(double** buffers, int32_t channels)
{
  if (buffers == nullptr)
    return;
  for (int32_t c = 0; c < channels; ++c)
    delete[] buffers[c];
  delete[] buffers;
}

void CopyChannelBuffers(double** inputs, double** outputs, int32_t frames, int32_t channels, int32_t offset)
{
  if (inputs == nullptr || outputs == nullptr || frames <= 0)
    return;
  for (int32_t c = 0; c < channels; ++c)
    CopyBuffer(inputs[c], outputs[c], frames, offset);
}

void CopyBuffer(const double* in, double* out, int32_t frames, int32_t offset)
{
  if (in == nullptr || out == nullptr || frames <= 0)
    return;
  double* dst = out + offset;
  if (dst == in)
    return;
  std::memmove(dst, in, static_cast<size_t>(frames) * sizeof(double));
}

void ClearChannelBuffers(double** buffers, int32_t frames, int32_t channels)
{
  if (buffers == nullptr || frames <= 0)
    return;
  for (int32_t c = 0; c < channels; ++c)
    if (buffers[c] != nullptr)
      std::memset(buffers[c], 0, static_cast<size_t>(frames) * sizeof(double));
}

double RoundedLevelThreshold(double level)
{
  // As k ↦ k / 10 rises with whole k, floor(t) / 10 ≥ level is floor(t) ≥ K
  // for the least whole K with K / 10 ≥ level, which is t ≥ K.
  constexpr double kInf = std::numeric_limits<double>::infinity();
  if (!(level >= -1e15))  // NaN included
    return -kInf;
  if (level > 1e15)
    return kInf;
  double k = std::floor(level * 10.0) - 2.0;
  while (!(k / 10.0 >= level))
    k += 1.0;
  return k;
}
