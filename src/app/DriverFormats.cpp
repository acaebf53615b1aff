#include "app/DriverFormats.h"

#include <algorithm>
#include <stdexcept>

#include "app/InputFormats.h"
#include "platform/TextUtils.h"

TFormatTable::TFormatTable() {
  for (const TInputFormat& input : InputFormats()) {
    auto source = std::find_if(FSources.begin(), FSources.end(),
                               [&](const TSourceFormat& known) { return known.Component == input.Component; });
    if (source == FSources.end()) {
      source = FSources.insert(FSources.end(), TSourceFormat{std::string(input.Component), {}, {}});
    }
    source->Extensions.emplace_back(input.Extension);
  }
  for (const std::string& format : OutputFormatNames()) {
    FSinks.push_back({format, {}, {}});
  }
}

void TFormatTable::WireSource(const std::string& component, std::function<std::unique_ptr<TACSFileIn>()> create) {
  for (TSourceFormat& source : FSources) {
    if (source.Component == component) {
      source.Create = std::move(create);
      return;
    }
  }
  throw std::invalid_argument("no source component " + component);
}

void TFormatTable::WireSink(const std::string& format, std::function<std::unique_ptr<TACSFileOut>()> create,
                            std::function<void(TACSFileOut&, const TSinkSetup&)> configure) {
  for (TSinkFormat& sink : FSinks) {
    if (sink.Format == format) {
      sink.Create = std::move(create);
      sink.Configure = std::move(configure);
      return;
    }
  }
  throw std::invalid_argument("no output format " + format);
}

std::vector<std::string> TFormatTable::InputExtensions() const {
  std::vector<std::string> extensions;
  for (const TSourceFormat& source : FSources) {
    extensions.insert(extensions.end(), source.Extensions.begin(), source.Extensions.end());
  }
  return extensions;
}

const TSourceFormat* TFormatTable::SourceFor(const std::string& extension) const {
  for (const TSourceFormat& source : FSources) {
    for (const std::string& known : source.Extensions) {
      if (EqualsNoCase(known, extension)) {
        return &source;
      }
    }
  }
  return nullptr;
}

const TSinkFormat* TFormatTable::SinkFor(const std::string& format) const {
  for (const TSinkFormat& sink : FSinks) {
    if (EqualsNoCase(sink.Format, format)) {
      return &sink;
    }
  }
  return nullptr;
}

TFormatTable DefaultFormatTable() {
  TFormatTable table;
  WireWave(table);
  WireDirectShow(table);
  WireWMA(table);
  WireLAME(table);
  WireVorbis(table);
  WireFLAC(table);
  WireMAC(table);
  WireFFmpeg(table);
  return table;
}
