#pragma once

// The writer layer: encodes 16-bit PCM into a WMA (ASF) file with FFmpeg's WMA v2 encoder and
// ASF muxer, following a profile. The steps are those of a media writer: set the profile and the
// output file name, set header attributes, begin writing, allocate and write samples, end
// writing. Every step answers with a result code.
//
// Input of any rate and of one or two channels is resampled and mixed to the profile's format.
// A writer released after BeginWriting but before a successful EndWriting removes its file, so a
// broken run never leaves a half-written file behind.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/WmProfile.h"

enum TWMTAttrDataType { WMT_TYPE_DWORD, WMT_TYPE_STRING, WMT_TYPE_BINARY, WMT_TYPE_BOOL, WMT_TYPE_QWORD, WMT_TYPE_WORD, WMT_TYPE_GUID };

// The text of a code this layer returns; empty for any other code.
std::string WriterErrorText(TWriterResult code);

class IWMHeaderInfo {
public:
  virtual ~IWMHeaderInfo() = default;
  // A string value is UTF-16LE; a terminating zero, if counted in `length`, is not stored.
  virtual TWriterResult SetAttribute(uint16_t streamNumber, const std::u16string& name, TWMTAttrDataType type,
                                     const uint8_t* value, uint16_t length) = 0;
  // A value of any length, as the platform's third header interface adds it; the writer takes a
  // binary "WM/Picture" (type, size, MIME type, description, image) and nothing else.
  virtual TWriterResult AddAttribute(uint16_t streamNumber, const std::u16string& name, TWMTAttrDataType type,
                                     const uint8_t* value, uint32_t length) = 0;
};

// A sample buffer handed out by AllocateSample.
class TNSSBuffer {
public:
  explicit TNSSBuffer(uint32_t maxLength) : FData(maxLength) {}

  TWriterResult GetBuffer(uint8_t*& buffer);
  TWriterResult SetLength(uint32_t length);
  std::span<const uint8_t> Data() const { return {FData.data(), FLength}; }

private:
  std::vector<uint8_t> FData;
  uint32_t FLength = 0;
};

class TWMWriter : public IWMHeaderInfo {
public:
  TWMWriter();
  ~TWMWriter() override;
  TWMWriter(const TWMWriter&) = delete;
  TWMWriter& operator=(const TWMWriter&) = delete;

  TWriterResult SetProfile(std::shared_ptr<const TWMProfile> profile);
  TWriterResult SetOutputFilename(const std::string& fileName);
  // The PCM the samples carry (8 or 16 bits); without this call, 16 bits in the profile's format.
  TWriterResult SetInputProps(int32_t channels, int32_t sampleRate, int32_t bitsPerSample);
  TWriterResult SetAttribute(uint16_t streamNumber, const std::u16string& name, TWMTAttrDataType type,
                             const uint8_t* value, uint16_t length) override;
  TWriterResult AddAttribute(uint16_t streamNumber, const std::u16string& name, TWMTAttrDataType type,
                             const uint8_t* value, uint32_t length) override;
  TWriterResult BeginWriting();
  TWriterResult AllocateSample(uint32_t size, std::unique_ptr<TNSSBuffer>& sample);
  // The time stamp is not used: the encoder counts the frames it receives.
  TWriterResult WriteSample(uint32_t inputNumber, int64_t sampleTime, uint32_t flags, const TNSSBuffer& sample);
  TWriterResult EndWriting();
  // The system's reason for the last failure on the file ("No space left on device"); empty
  // when no file operation failed.
  const std::string& FileFailure() const;

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// Makes a writer; the counterpart of the platform's writer factory.
TWriterResult WMCreateWriter(std::unique_ptr<TWMWriter>& writer);
