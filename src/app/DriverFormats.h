#pragma once

// Which source reads an input and which sink writes an output, for the conversion driver. Every
// output format of the program is known here, every input extension through the input table
// (app/InputFormats.h); each format's own file wires in how its component is created and set up
// (see "Driver wiring" in docs/CONVENTIONS.md).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ConversionRow.h"
#include "app/Settings.h"
#include "pipeline/ACS_Classes.h"

// What a sink's per-row set-up reads: the live settings, the row's tag texts and its number.
struct TSinkSetup {
  const TSettings& Settings;
  const TConversionRow& Row;
  int32_t RowNumber;
  const std::string& AppDir;  // the program's folder, with a trailing separator
};

struct TSourceFormat {
  std::string Component;                // "WaveIn1": one instance per driver
  std::vector<std::string> Extensions;  // ".WAV", in capitals
  // Creates the source with its fixed configuration; empty while the format is not wired.
  std::function<std::unique_ptr<TACSFileIn>()> Create;
};

struct TSinkFormat {
  std::string Format;  // "MP3", as chosen in the options and used as the output extension
  // Creates the sink with its fixed configuration; empty while the format is not wired.
  std::function<std::unique_ptr<TACSFileOut>()> Create;
  // Copies the settings and the row's tags into the sink before each run; may be empty.
  std::function<void(TACSFileOut&, const TSinkSetup&)> Configure;
};

class TFormatTable {
public:
  // Every source and sink of the program, none wired.
  TFormatTable();

  void WireSource(const std::string& component, std::function<std::unique_ptr<TACSFileIn>()> create);
  void WireSink(const std::string& format, std::function<std::unique_ptr<TACSFileOut>()> create,
                std::function<void(TACSFileOut&, const TSinkSetup&)> configure);

  // Every input extension the program knows (".WAV", in capitals), in table order.
  std::vector<std::string> InputExtensions() const;
  // By extension (".wav" or ".WAV"); nullptr when no source reads it.
  const TSourceFormat* SourceFor(const std::string& extension) const;
  // By format name in any case; nullptr when it is none of the six.
  const TSinkFormat* SinkFor(const std::string& format) const;

private:
  std::vector<TSourceFormat> FSources;
  std::vector<TSinkFormat> FSinks;
};

// The table with every format this build wires.
TFormatTable DefaultFormatTable();

// One per format family, each in its own file (app/DriverFormat_<Family>.cpp).
void WireWave(TFormatTable& table);
void WireDirectShow(TFormatTable& table);
void WireWMA(TFormatTable& table);
void WireLAME(TFormatTable& table);
void WireVorbis(TFormatTable& table);
void WireFLAC(TFormatTable& table);
void WireMAC(TFormatTable& table);
void WireFFmpeg(TFormatTable& table);
