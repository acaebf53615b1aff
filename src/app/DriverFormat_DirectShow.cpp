// MP3 and WMA input for the conversion driver: one source reads both.

#include "app/DriverFormats.h"
#include "formats/directshow/ACS_DX9.h"

void WireDirectShow(TFormatTable& table) {
  table.WireSource("DX9In1", [] { return std::make_unique<TDX9In>(); });
}
