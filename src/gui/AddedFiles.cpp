#include "gui/AddedFiles.h"

#include "app/DriverFormats.h"

bool IsSupportedAudioName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find('/', dot) != std::string::npos) {
    return false;
  }
  static const TFormatTable formats;
  return formats.SourceFor(name.substr(dot)) != nullptr;
}

std::vector<TInputFile> ExpandAddedNames(const std::vector<std::string>& names) {
  std::vector<TInputFile> inputs = ExpandInputNames(names);
  std::erase_if(inputs, [](const TInputFile& input) { return !IsSupportedAudioName(input.FileName); });
  return inputs;
}
