#pragma once

// The pipeline's component model: sources deliver PCM, converter stages change it on the way,
// and a sink pulls it chunk by chunk on its own worker thread.
//
// PCM between components (its format is GetFormat's TPcmFormat): interleaved frames, the
// channels of a frame in the order of the channel mask's bits (left before right); 8-bit samples
// unsigned with 128 as zero; 16-, 24- and 32-bit integer samples signed little-endian, 24-bit
// ones packed in 3 bytes; float samples 32-bit IEEE little-endian, full scale -1.0 to +1.0.
// A source's Position and Size count bytes of this PCM in 64 bits; Size -1 means unknown.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>

#include "pipeline/PcmFormat.h"
#include "platform/Component.h"
#include "platform/OutputTransaction.h"
#include "platform/Streams.h"

class EACSException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum TFileOutputMode { foRewrite, foAppend };

// Rounds to the nearest integer, ties to the even neighbour (12.5 -> 12, 37.5 -> 38).
int32_t RoundHalfEven(double value);
int64_t RoundHalfEven64(double value);

class TACSInput : public TComponent {
public:
  virtual int32_t GetBitsPerSample() = 0;
  virtual int32_t GetChannels() = 0;
  virtual int32_t GetSampleRate() = 0;
  virtual int32_t GetTotalTime();  // whole seconds
  // The format delivered; by default integer samples of GetBitsPerSample in the usual order.
  virtual TPcmFormat GetFormat();
  // Bytes written into buffer; 0 means there is no more data.
  virtual int32_t GetData(std::span<uint8_t> buffer) = 0;
  virtual void Reset();
  virtual void Init() = 0;
  virtual void Flush() = 0;

  int64_t Position() const { return FPosition.load(std::memory_order_relaxed); }
  int64_t Size() const { return FSize.load(std::memory_order_relaxed); }
  bool Busy() const { return FBusy.load(); }

protected:
  // Read by a sink's Progress on another thread while the worker delivers.
  std::atomic<int64_t> FPosition{0};
  std::atomic<int64_t> FSize{0};
  std::atomic<bool> FBusy{false};
  int32_t FBufStart = 1;  // 1-based index of the next unread byte of the decode buffer
  int32_t FBufEnd = 0;    // index of the last valid byte; FBufStart > FBufEnd: used up

  bool BufferUsedUp() const { return FBufStart > FBufEnd; }
  // Step 3 of every GetData: copies from the decode buffer at FBufStart and advances.
  int32_t CopyFromBuffer(const uint8_t* decodeBuffer, std::span<uint8_t> buffer);
};

class TACSStreamedInput : public TACSInput {
public:
  // Supplies an open stream instead of a file name; the source never frees it.
  void SetStream(TStream* stream);
  TStream* Stream() const { return FStream; }
  bool Seekable() const { return FSeekable; }
  void SetSeekable(bool value) { FSeekable = value; }

protected:
  TStream* FStream = nullptr;
  std::unique_ptr<TStream> FOwnedStream;  // a stream the source opened itself
  bool FStreamAssigned = false;
  bool FSeekable = true;

  // Opens the file for reading; false (and no stream) when it cannot be opened.
  bool OpenOwnStream(const std::string& fileName);
  void ReleaseStream();  // frees an own stream, rewinds a supplied seekable one
};

class TACSFileIn : public TACSStreamedInput {
public:
  TACSFileIn() = default;

  int32_t GetBitsPerSample() override;
  int32_t GetChannels() override;
  int32_t GetSampleRate() override;
  int32_t GetTotalTime() override;
  void Reset() override;
  void Init() override;
  void Flush() override;

  virtual void OpenFile() = 0;
  virtual void CloseFile() = 0;
  virtual bool Seek(int64_t sampleNumber) = 0;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& value) { FFileName = value; }
  bool Loop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }
  int64_t StartSample() const { return FStartSample; }
  void SetStartSample(int64_t value) { FStartSample = value; }
  int64_t EndSample() const { return FEndSample; }
  void SetEndSample(int64_t value) { FEndSample = value; }

  bool Valid() const { return FValid; }
  // What made the last OpenFile find the file not Valid, in a few words ("12 bits per sample");
  // empty when the source does not say.
  virtual std::string InvalidReason() const { return {}; }
  int32_t OpenCount() const { return FOpenCount; }
  int64_t TotalSamples() const { return FTotalSamples; }

  // What the stream promised for this run, read after Init: the PCM bytes it announces (by
  // default Size), and how far short of them a whole run may end (a lossy stream's padding); -1
  // when the stream announces no length it keeps to.
  virtual int64_t AnnouncedSize() { return Size(); }
  virtual int64_t SizeSlack() { return 0; }
  // What went wrong while the source delivered that it could step over (damaged frames, a stream
  // cut short), in a few words; empty while nothing did. Init clears it.
  const std::string& ReadFault() const { return FReadFault; }

protected:
  std::string FFileName;
  int32_t FOpenCount = 0;
  bool FValid = false;
  int32_t FBPS = 0;
  int32_t FSR = 0;
  int32_t FChan = 0;
  bool FLoop = false;
  int64_t FStartSample = 0;
  int64_t FEndSample = -1;
  int64_t FTotalSamples = 0;
  std::string FReadFault;

  // A cached format value, read inside an OpenFile/CloseFile pair when the source is seekable,
  // so a caller may ask before Init and an open run's file stays open.
  int32_t QueryFormat(const int32_t& cachedValue);
};

class TACSConverter : public TACSInput {
public:
  ~TACSConverter() override;

  TACSInput* Input() const { return FInput; }
  virtual void SetInput(TACSInput* source);

protected:
  std::mutex FInputLock;  // held around every read from FInput
  TACSInput* FInput = nullptr;

  TACSInput& RequireInput() const;  // "Input not assigned" when none
  void Notification(TComponent* component, TOperation operation) override;
};

class TACSThread;

// Running: busy, worker working; Suspended: busy, worker waiting; Idle: not busy.
enum TACSOutputStatus { tosRunning, tosSuspended, tosIdle };

class TACSOutput : public TComponent {
public:
  using TOutputDoneEvent = std::function<void(TComponent* sender)>;
  using TOutputProgressEvent = std::function<void(TComponent* sender)>;
  using TThreadExceptionEvent = std::function<void(TComponent* sender, const std::exception& error)>;

  TACSOutput();
  ~TACSOutput() override;

  virtual void SetInput(TACSInput* source);
  TACSInput* Input() const { return FInput.load(); }

  // The PCM this sink takes when a source offers `offered`; the driver's stages turn one into the
  // other. The default is what every sink took from the start: 16-bit integer stereo at the
  // offered rate. A sink that keeps more of the source (its bits, channels) says so here.
  virtual TPcmFormat AcceptedFormat(const TPcmFormat& offered) const;

  void Run();
  void Stop();
  TACSOutputStatus Status() const;
  int32_t Progress() const;
  bool Busy() const { return FBusy.load(); }
  bool Active() const { return FActive.load(); }
  int32_t LastProgress() const { return FLastProgress.load(); }

  bool SuspendWhenIdle() const;
  void SetSuspendWhenIdle(bool value);

  void SetOnDone(TOutputDoneEvent handler) { FOnDone = std::move(handler); }
  void SetOnProgress(TOutputProgressEvent handler) { FOnProgress = std::move(handler); }
  void SetOnThreadException(TThreadExceptionEvent handler) { FOnThreadException = std::move(handler); }
  const TOutputDoneEvent& OnDone() const { return FOnDone; }
  const TOutputProgressEvent& OnProgress() const { return FOnProgress; }
  const TThreadExceptionEvent& OnThreadException() const { return FOnThreadException; }

protected:
  // Moves one chunk; false ends the run.
  virtual bool DoOutput(bool abort) = 0;
  virtual void Done() = 0;
  virtual void Prepare() = 0;
  // After Done: the run's output is kept (a finished or stopped run) or given up (a failed one).
  virtual void EndOutput(bool keep);

  // Steps 1 to 3 of every DoOutput: nothing to do while inactive, progress, abort. Returns true
  // when the caller should go on to read a chunk; otherwise `result` holds what to return.
  bool BeginChunk(bool abort, bool& result);
  // Step 4: one GetData on the input under InputLock.
  int32_t ReadInput(std::span<uint8_t> buffer);

  // Must be the first call in the destructor of every concrete sink: the worker calls its
  // virtual functions. A sink still running is finished (Done) so its file is well-formed.
  void EndWorker();
  // Input.Flush, when an input is still attached.
  void FlushInput();

  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TACSThread;

  void DonePath();
  void FailurePath(const std::exception& error);

  std::atomic<bool> FActive{false};
  std::atomic<int32_t> FLastProgress{0};
  std::unique_ptr<TACSThread> FThread;
  std::atomic<TACSInput*> FInput{nullptr};
  TOutputDoneEvent FOnDone;
  TOutputProgressEvent FOnProgress;
  TThreadExceptionEvent FOnThreadException;
  std::atomic<bool> FBusy{false};
  std::mutex FInputLock;
};

class TACSStreamedOutput : public TACSOutput {
public:
  // Supplies an open stream instead of a file name; the sink never frees it.
  void SetStream(TStream* stream);
  TStream* Stream() const { return FStream; }

protected:
  TStream* FStream = nullptr;
  std::unique_ptr<TStream> FOwnedStream;
  bool FStreamAssigned = false;

  void OpenOwnStream(const std::string& fileName, TFileOpenMode mode);
  void ReleaseStream();
};

// A new file is written under a hidden temporary name in the folder of FileName and takes its
// name only when the run has finished it (TOutputTransaction): a failed run leaves nothing, and
// a file already there is replaced only by that rename, never written through.
class TACSFileOut : public TACSStreamedOutput {
public:
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& value) { FFileName = value; }
  TFileOutputMode FileMode() const { return FFileMode; }
  virtual void SetFileMode(TFileOutputMode mode);
  // True (the default): the finished output is renamed over a file of its name; false: that file
  // is kept and the output takes the first free "name (2).ext", ...
  bool ReplaceExisting() const { return FReplaceExisting; }
  void SetReplaceExisting(bool value) { FReplaceExisting = value; }
  // The name under which the last run left its file (read it once the run has ended); empty
  // when it left none or wrote to a supplied stream.
  const std::string& OutputName() const { return FOutputName; }

protected:
  std::string FFileName;
  TFileOutputMode FFileMode = foRewrite;

  // "File name is not assigned." unless a stream was supplied.
  void RequireFileName() const;
  // Opens the output of a run unless a stream was supplied: the existing file itself when
  // appending is asked for and `canAppend`, otherwise a new temporary file.
  void OpenTarget(bool canAppend);
  // For a sink whose library writes the file by name: creates the temporary file and returns the
  // name to hand to the library.
  std::string CreateTarget();
  // The file being written: the temporary file, or FileName when it is extended in place.
  std::string TargetName() const;
  // Undoes a Prepare that failed: flushes the input when it was started, releases the stream and
  // removes the temporary file, so no half-made file is left behind.
  void AbandonPrepare(bool inputStarted);
  void EndOutput(bool keep) override;

private:
  std::unique_ptr<TOutputTransaction> FTransaction;
  bool FReplaceExisting = true;
  bool FInPlace = false;  // this run extends FileName itself
  std::string FOutputName;
};
