#pragma once

// Audio data records shared by every audio interface: stream formats, time
// stamps, buffers and channel layout tags. Byte layouts are the platform's.

#include <cstddef>
#include <cstdint>

#include "CoreFoundation/CFBase.h"

typedef uint8_t UInt8;
typedef int16_t SInt16;
typedef uint16_t UInt16;
typedef int32_t SInt32;
typedef uint32_t UInt32;
typedef int64_t SInt64;
typedef uint64_t UInt64;
typedef float Float32;
typedef double Float64;

constexpr OSStatus noErr = 0;

// A four-character code: the first character in the most significant byte.
constexpr UInt32 FourCharCode(const char (&c)[5])
{
  return (UInt32(UInt8(c[0])) << 24) | (UInt32(UInt8(c[1])) << 16) | (UInt32(UInt8(c[2])) << 8) | UInt32(UInt8(c[3]));
}

struct AudioStreamBasicDescription
{
  Float64 mSampleRate;
  UInt32 mFormatID;
  UInt32 mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};
static_assert(sizeof(AudioStreamBasicDescription) == 40);

constexpr UInt32 kAudioFormatLinearPCM = FourCharCode("lpcm");

enum : UInt32
{
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsAlignedHigh = 1u << 4,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
  kAudioFormatFlagIsNonMixable = 1u << 6,
  kAudioFormatFlagsNativeFloatPacked = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked,
  kAudioFormatFlagsCanonical = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved,
};

struct SMPTETime
{
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
};
static_assert(sizeof(SMPTETime) == 24);

struct AudioTimeStamp
{
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  UInt32 mFlags;
  UInt32 mReserved;
};
static_assert(sizeof(AudioTimeStamp) == 64);

enum : UInt32
{
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
  kAudioTimeStampWordClockTimeValid = 1u << 3,
  kAudioTimeStampSMPTETimeValid = 1u << 4,
};

struct AudioBuffer
{
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};
static_assert(sizeof(AudioBuffer) == 16);

// Declared with one buffer; callers allocate room for mNumberBuffers.
struct AudioBufferList
{
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};
static_assert(sizeof(AudioBufferList) == 24);

typedef UInt32 AudioChannelLayoutTag;

// The channel count sits in the low 16 bits.
enum : AudioChannelLayoutTag
{
  kAudioChannelLayoutTag_UseChannelDescriptions = 0,
  kAudioChannelLayoutTag_Mono = 0x00640001,
  kAudioChannelLayoutTag_Stereo = 0x00650002,
  kAudioChannelLayoutTag_Quadraphonic = 0x006C0004,
  kAudioChannelLayoutTag_Ambisonic_B_Format = 0x006B0004,
  kAudioChannelLayoutTag_MPEG_3_0_A = 0x00710003,
  kAudioChannelLayoutTag_MPEG_5_0_A = 0x00750005,
  kAudioChannelLayoutTag_MPEG_5_1_A = 0x00790006,
  kAudioChannelLayoutTag_MPEG_6_1_A = 0x007D0007,
  kAudioChannelLayoutTag_MPEG_7_1_A = 0x007E0008,
  kAudioChannelLayoutTag_MPEG_7_1_C = 0x00800008,
  kAudioChannelLayoutTag_AudioUnit_6_0 = 0x008B0006,
  kAudioChannelLayoutTag_AudioUnit_7_0 = 0x008C0007,
  kAudioChannelLayoutTag_DiscreteInOrder = 0x00930000,
  kAudioChannelLayoutTag_HOA_ACN_SN3D = 0x00BE0000,
};
