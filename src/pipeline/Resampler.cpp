#include "pipeline/Resampler.h"

#include <cmath>
#include <string>

#include "formats/CodecLibrary.h"
#include "pipeline/SoxrLibrary.h"

void TResampler::TSoxrDeleter::operator()(soxr* resampler) const { SoxrLibrary().soxr_delete(resampler); }

TResampler::TResampler() : FLibrary(SoxrLibrary()) {}

TResampler::~TResampler() = default;

TPcmFormat TResampler::OutputFormat(const TPcmFormat& input) const {
  if (input.Kind != TSampleKind::skFloat) {
    throw EACSException("The resampler takes float samples");
  }
  TPcmFormat output = input;
  output.SampleRate = FTargetRate;
  return output;
}

void TResampler::Start(const TPcmFormat& input, const TPcmFormat& output) {
  RequireLoaded({&SoxrLibrary()});
  RequireEntryPoints(SoxrLibrary(), {"soxr_create", "soxr_process", "soxr_delete", "soxr_io_spec", "soxr_quality_spec"});
  const TSoxrBinding& lib = SoxrLibrary();
  const soxr_io_spec_t io = lib.soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = lib.soxr_quality_spec(SOXR_VHQ, 0);
  soxr_error_t error = nullptr;
  FSoxr.reset(lib.soxr_create(input.SampleRate, output.SampleRate, static_cast<unsigned>(input.Channels), &error,
                              &io, &quality, nullptr));
  if (!FSoxr || error != nullptr) {
    FSoxr.reset();
    throw EACSException("Cannot resample from " + std::to_string(input.SampleRate) + " Hz to " +
                        std::to_string(output.SampleRate) + " Hz (" + (error != nullptr ? error : "no resampler") + ")");
  }
}

int64_t TResampler::OutputFrames(int64_t inputFrames) const {
  const TPcmFormat& in = InputFormatOfRun();
  return static_cast<int64_t>(std::llround(static_cast<double>(inputFrames) * FTargetRate / in.SampleRate));
}

void TResampler::Process(const float* input, size_t frames, std::vector<uint8_t>& out) {
  const TSoxrBinding& lib = SoxrLibrary();
  const size_t frameBytes = static_cast<size_t>(OutputFormatOfRun().BytesPerFrame());
  const double ratio = static_cast<double>(FTargetRate) / InputFormatOfRun().SampleRate;
  // Room for what this input makes; the end (no input) is drained in as many rounds as it takes.
  const size_t room = static_cast<size_t>(std::ceil(static_cast<double>(frames) * ratio)) + 1024;
  size_t used = 0;
  for (;;) {
    const size_t start = out.size();
    out.resize(start + room * frameBytes);
    size_t made = 0;
    const soxr_error_t error = lib.soxr_process(FSoxr.get(), input, frames, &used, out.data() + start, room, &made);
    out.resize(start + made * frameBytes);
    if (error != nullptr) {
      throw EACSException(std::string("Resampling failed (") + error + ")");
    }
    if (input != nullptr ? used >= frames : made < room) {
      return;
    }
    if (input != nullptr) {
      input += used * static_cast<size_t>(InputFormatOfRun().Channels);
      frames -= used;
    }
  }
}

void TResampler::Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) {
  const size_t frameBytes = static_cast<size_t>(InputFormatOfRun().BytesPerFrame());
  if (frames.empty()) {
    return;
  }
  Process(reinterpret_cast<const float*>(frames.data()), frames.size() / frameBytes, out);
}

void TResampler::Finish(std::vector<uint8_t>& out) { Process(nullptr, 0, out); }
