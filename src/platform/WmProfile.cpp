#include "platform/WmProfile.h"

#include <charconv>

#include "platform/SimpleXml.h"
#include "platform/WideText.h"

namespace {

const std::string* FindAttribute(const TXmlElement& element, const std::string& name) {
  const auto found = element.Attributes.find(name);
  return found == element.Attributes.end() ? nullptr : &found->second;
}

bool ReadNumber(const TXmlElement& element, const std::string& name, int32_t low, int32_t high, int32_t& value,
                std::string& reason) {
  const std::string* text = FindAttribute(element, name);
  if (text == nullptr) {
    reason = "the audio element has no \"" + name + "\"";
    return false;
  }
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size() || value < low || value > high) {
    reason = "\"" + name + "\" must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  return true;
}

bool ReadAudio(const TXmlElement& root, TWMProfile& profile, std::string& reason) {
  const TXmlElement* audio = nullptr;
  for (const TXmlElement& child : root.Children) {
    if (child.Name == "audio") {
      if (audio != nullptr) {
        reason = "more than one audio element";
        return false;
      }
      audio = &child;
    }
  }
  if (audio == nullptr) {
    reason = "no audio element";
    return false;
  }
  const std::string* codec = FindAttribute(*audio, "codec");
  if (codec == nullptr || *codec != "wmav2") {
    reason = "the codec must be \"wmav2\"";
    return false;
  }
  return ReadNumber(*audio, "bitrate", 8000, 768000, profile.Bitrate, reason) &&
         ReadNumber(*audio, "samplerate", 8000, 48000, profile.SampleRate, reason) &&
         ReadNumber(*audio, "channels", 1, 2, profile.Channels, reason);
}

}  // namespace

TWriterResult TWMProfileManager::LoadProfileByData(std::u16string_view profileData,
                                                   std::shared_ptr<const TWMProfile>& profile, std::string& reason) const {
  profile.reset();
  const std::optional<TXmlElement> root = ParseXml(Utf16ToUtf8(profileData), reason);
  if (!root) {
    return NS_E_INVALID_PROFILE;
  }
  if (root->Name != "profile") {
    reason = "the root element must be \"profile\"";
    return NS_E_INVALID_PROFILE;
  }
  auto loaded = std::make_shared<TWMProfile>();
  if (const std::string* name = FindAttribute(*root, "name")) {
    loaded->Name = *name;
  }
  if (!ReadAudio(*root, *loaded, reason)) {
    return NS_E_INVALID_PROFILE;
  }
  profile = std::move(loaded);
  return WR_OK;
}
