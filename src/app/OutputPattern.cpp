#include "app/OutputPattern.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/Settings.h"
#include "platform/TextUtils.h"
#include "tags/TagText.h"

namespace fs = std::filesystem;

namespace {

enum TField { nfNone, nfTrackNumber, nfSourceTrack, nfTitle, nfArtist, nfAlbumArtist, nfAlbum, nfYear, nfGenre,
              nfDisc, nfSourceName, nfSourceFolder };

struct TFieldName {
  const char* Text;
  TField Field;
};

constexpr TFieldName FieldNames[] = {
    {"<Track Number>", nfTrackNumber}, {"<Source Track>", nfSourceTrack}, {"<Title>", nfTitle},
    {"<Artist>", nfArtist},           {"<Album Artist>", nfAlbumArtist}, {"<Album>", nfAlbum},
    {"<Year>", nfYear},               {"<Genre>", nfGenre},              {"<Disc>", nfDisc},
    {"<Source Name>", nfSourceName},  {"<Source Folder>", nfSourceFolder}};

// A run of pattern text: a field, or literal text when Field is nfNone.
struct TToken {
  TField Field = nfNone;
  std::string Text;
};

std::vector<TToken> Tokens(const std::string& pattern) {
  std::vector<TToken> tokens;
  size_t pos = 0;
  while (pos < pattern.size()) {
    TField field = nfNone;
    size_t length = 0;
    for (const TFieldName& name : FieldNames) {
      if (pattern.compare(pos, std::char_traits<char>::length(name.Text), name.Text) == 0) {
        field = name.Field;
        length = std::char_traits<char>::length(name.Text);
        break;
      }
    }
    if (field != nfNone) {
      tokens.push_back({field, {}});
      pos += length;
      continue;
    }
    if (tokens.empty() || tokens.back().Field != nfNone) {
      tokens.push_back({});
    }
    tokens.back().Text += pattern[pos++];
  }
  return tokens;
}

std::string TwoDigits(int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d", number);
  return text;
}

// "3", "03" and "3/12" are track 03; any other text stays as it is.
std::string NumberText(const std::string& text) {
  const std::string head = text.substr(0, text.find('/'));
  if (head.empty() || head.size() > 6 || head.find_first_not_of("0123456789") != std::string::npos) {
    return text;
  }
  return TwoDigits(std::stoi(head));
}

// Tag texts name one file or folder: a "/" in them makes none.
std::string TagText(std::string text) {
  for (char& c : text) {
    if (c == '/' || c == '\0') {
      c = '_';
    }
  }
  return text;
}

std::string Value(TField field, const TNameFields& fields) {
  switch (field) {
    case nfTrackNumber: return TwoDigits(fields.TrackNumber);
    case nfSourceTrack: return TagText(NumberText(fields.SourceTrack));
    case nfTitle: return TagText(fields.Title.empty() ? fields.SourceName : fields.Title);
    case nfArtist: return TagText(fields.Artist);
    case nfAlbumArtist: return TagText(fields.AlbumArtist.empty() ? fields.Artist : fields.AlbumArtist);
    case nfAlbum: return TagText(fields.Album);
    case nfYear: return TagText(fields.Year);
    case nfGenre: return TagText(fields.Genre);
    case nfDisc: return TagText(fields.Disc.substr(0, fields.Disc.find('/')));
    case nfSourceName: return TagText(fields.SourceName);
    case nfSourceFolder: return fields.SourceFolder;
    case nfNone: break;
  }
  return {};
}

bool Separator(const std::string& text) { return text.find_first_not_of(" -_.,;:~+") == std::string::npos; }

// One "/"-free part of the pattern. A field without a value drops the separator before it, or
// after it when it comes first, so no "01--Title" or "-Title" is left.
std::string ExpandPart(const std::vector<TToken>& tokens, const TNameFields& fields) {
  std::string out;
  std::string pending;  // literal text after the last field written
  bool written = false;
  bool dropNext = false;
  for (const TToken& token : tokens) {
    if (token.Field == nfNone) {
      if (!(dropNext && Separator(token.Text))) {
        pending += token.Text;
      }
      dropNext = false;
      continue;
    }
    const std::string value = Value(token.Field, fields);
    if (!value.empty()) {
      out += pending + value;
      pending.clear();
      written = true;
      dropNext = false;
    } else if (Separator(pending)) {
      pending.clear();
      dropNext = !written;
    }
  }
  return out + pending;
}

std::string FallBack(const std::vector<TToken>& tokens) {
  for (const TToken& token : tokens) {
    if (token.Field == nfArtist || token.Field == nfAlbumArtist) {
      return "Unknown Artist";
    }
    if (token.Field == nfAlbum) {
      return "Unknown Album";
    }
  }
  return {};
}

bool Blank(const std::string& text) { return text.find_first_not_of(" ") == std::string::npos; }

// A source folder brings its own subfolders into a part.
std::vector<std::string> Pieces(const std::string& part) {
  std::vector<std::string> pieces;
  for (size_t from = 0; from < part.size();) {
    const size_t end = std::min(part.find('/', from), part.size());
    if (!Blank(part.substr(from, end - from))) {
      pieces.push_back(part.substr(from, end - from));
    }
    from = end + 1;
  }
  return pieces;
}

}  // namespace

TNameFields NameFieldsOf(const TConversionRow& row, int32_t trackNumber) {
  TNameFields fields;
  fields.TrackNumber = trackNumber;
  fields.SourceTrack = row.SourceTrack;
  fields.Title = row.Title;
  fields.Artist = row.Artist;
  fields.AlbumArtist = row.AlbumArtist;
  fields.Album = row.Album;
  fields.Year = row.Year;
  fields.Genre = row.Genre;
  fields.Disc = row.Disc;
  const fs::path input(row.FileName);
  fields.SourceName = input.stem().string();
  if (!row.SourceRoot.empty()) {
    const fs::path relative = input.parent_path().lexically_relative(row.SourceRoot);
    if (!relative.empty() && relative != "." && *relative.begin() != "..") {
      fields.SourceFolder = relative.string();
    }
  }
  return fields;
}

std::vector<std::string> OutputPatternFields() {
  std::vector<std::string> fields;
  for (const TFieldName& name : FieldNames) {
    fields.emplace_back(name.Text);
  }
  return fields;
}

std::string PresetPattern(int32_t style) {
  const std::vector<std::string>& presets = OutputNameFormats();
  return style >= 0 && static_cast<size_t>(style) < presets.size() ? presets[static_cast<size_t>(style)] : presets[1];
}

std::string ExpandOutputPattern(const std::string& pattern, const TNameFields& fields, const std::string& extension) {
  std::vector<std::string> folders;
  std::string name;
  size_t start = 0;
  for (;;) {
    const size_t slash = pattern.find('/', start);
    const std::vector<TToken> tokens = Tokens(pattern.substr(start, slash - start));
    std::string part = ExpandPart(tokens, fields);
    if (Blank(part)) {
      part = FallBack(tokens);
    }
    const std::vector<std::string> pieces = Pieces(part);
    if (slash == std::string::npos) {
      name = pieces.empty() ? fields.SourceName : pieces.back();
      folders.insert(folders.end(), pieces.begin(), pieces.end() - (pieces.empty() ? 0 : 1));
      break;
    }
    folders.insert(folders.end(), pieces.begin(), pieces.end());
    start = slash + 1;
  }
  std::string path;
  for (const std::string& folder : folders) {
    path += CleanNameComponent(folder) + "/";
  }
  // Room for the extension and a " (12)" that a taken name may need.
  const size_t room = MaxNameBytes - extension.size() - 1 - 8;
  return path + CleanNameComponent(name, room) + "." + extension;
}

std::string CleanNameComponent(const std::string& name, size_t maxBytes) {
  std::string text = name;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      c = c == '\0' ? '_' : ' ';
    } else if (c == '/') {
      c = '_';
    }
  }
  const size_t first = text.find_first_not_of(".- ");
  text = first == std::string::npos ? std::string() : text.substr(first);
  if (text.size() > maxBytes) {
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
      --cut;
    }
    text.resize(cut);
  }
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "_" : text;
}

int32_t TrackNumberFor(const TSettings& settings, const TConversionRow& row, int32_t rowNumber) {
  int32_t own = 0;
  if (settings.Integer(SettingNames::TrackNumberFrom) == 1 &&
      ParseInteger(TrimBlanks(row.SourceTrack.substr(0, row.SourceTrack.find('/'))), own) && own > 0) {
    return own;
  }
  return rowNumber;
}

std::string OutputPathFor(const TSettings& settings, const TConversionRow& row, int32_t rowNumber,
                          const std::string& folder, const std::string& formatName) {
  std::string pattern = settings.Text(SettingNames::OutputPattern);
  if (pattern.empty()) {
    pattern = PresetPattern(settings.Integer(SettingNames::OutputFileNameFormat));
  }
  if (settings.Boolean(SettingNames::KeepFolders) && pattern.find("<Source Folder>") == std::string::npos) {
    pattern = "<Source Folder>/" + pattern;
  }
  const bool lower = settings.Integer(SettingNames::ExtensionCase) == 1;
  const std::string extension = lower ? ToLowerAscii(formatName) : formatName;
  return folder + "/" + ExpandOutputPattern(pattern, NameFieldsOf(row, TrackNumberFor(settings, row, rowNumber)), extension);
}
