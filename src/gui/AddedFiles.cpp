#include "gui/AddedFiles.h"

#include "app/InputFormats.h"

bool IsSupportedAudioName(const std::string& name) { return InputFormatFor(name) != nullptr; }

std::vector<TInputFile> ExpandAddedNames(const std::vector<std::string>& names) {
  std::vector<TInputFile> inputs = ExpandInputNames(names);
  std::erase_if(inputs, [](const TInputFile& input) { return !IsSupportedAudioName(input.FileName); });
  return inputs;
}
