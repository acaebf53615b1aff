// docs/TAGS.md is the tag mapping users and other developers read; this test walks its two tables
// so that the document and the code cannot drift apart. For every written cell a converted file
// must hold the named key (as mutagen lists the keys) with the field's text; for every read cell a
// file holding only that key must show the field.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "support/ReferenceTools.h"
#include "support/TestSupport.h"
#include "tags/SongInformation.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

struct TField {
  const char* Name;  // as the table's first column names it
  std::string TConversionRow::*RowText;
  std::string SongInformation::*Shown;
  const char* Text;  // what the row carries into the outputs
};

const TField Fields[] = {
    {"Title", &TConversionRow::Title, &SongInformation::Title, "T\u00eftle"},
    {"Artist", &TConversionRow::Artist, &SongInformation::Artist, "Ar1; Ar2"},
    {"Album", &TConversionRow::Album, &SongInformation::Album, "Alb"},
    {"Year", &TConversionRow::Year, &SongInformation::Year, "2001"},
    {"Genre", &TConversionRow::Genre, &SongInformation::Genre, "Ge"},
    {"Comment", &TConversionRow::Comment, &SongInformation::Comment, "Co"},
    {"Track", nullptr, &SongInformation::Track, "1"},  // the list position
    {"Total tracks", &TConversionRow::TotalTracks, &SongInformation::TotalTracks, "12"},
    {"Album artist", &TConversionRow::AlbumArtist, &SongInformation::AlbumArtist, "AA"},
    {"Disc", &TConversionRow::Disc, &SongInformation::Disc, "2"},
    {"Total discs", &TConversionRow::TotalDiscs, &SongInformation::TotalDiscs, "3"},
    {"Composer", &TConversionRow::Composer, &SongInformation::Composer, "Cm"}};

const TField* FieldNamed(const std::string& name) {
  for (const TField& field : Fields) {
    if (name == field.Name) {
      return &field;
    }
  }
  return nullptr;
}

// One key of a cell: `TRCK "n/total"` (the number and the total), `TRCK after "/"` (the total
// after the number), `else PERFORMER` (read when the first is missing).
struct TKey {
  std::string Name;
  bool NumberOfTotal = false;
  bool AfterSlash = false;
};

// The alternatives of a cell, split at the commas outside parentheses.
std::vector<std::string> Alternatives(const std::string& cell) {
  std::vector<std::string> parts(1);
  int depth = 0;
  for (char c : cell) {
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (c == ',' && depth == 0) {
      parts.emplace_back();
    } else if (c != ' ' || !parts.back().empty()) {
      parts.back() += c;
    }
  }
  return parts.back().empty() ? std::vector<std::string>{} : parts;
}

// "TYER/TDRC" and "ITRK and TRCK" name two keys that share what follows them.
std::vector<TKey> CellKeys(const std::string& cell) {
  std::vector<TKey> keys;
  for (std::string part : Alternatives(cell)) {
    if (part.starts_with("else ")) {
      part = part.substr(5);
    }
    const bool numberOfTotal = part.find("\"n/total\"") != std::string::npos;
    const bool afterSlash = part.find("after \"/\"") != std::string::npos;
    std::string names = part.substr(0, std::min({part.find(" \""), part.find(" ("), part.find(" after")}));
    for (size_t at = names.find(" and "); at != std::string::npos; at = names.find(" and ")) {
      names.replace(at, 5, "/");
    }
    // WMA's names hold a slash of their own ("WM/Year").
    std::stringstream in(names);
    for (std::string name; std::getline(in, name, names.starts_with("WM/") ? '\n' : '/');) {
      keys.push_back({name, numberOfTotal, afterSlash});
    }
  }
  return keys;
}

// A table of the document: its column headers and, per field, its cells.
struct TTable {
  std::vector<std::string> Columns;
  std::vector<std::vector<std::string>> Rows;
};

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line.substr(1));
  for (std::string cell; std::getline(in, cell, '|');) {
    const size_t first = cell.find_first_not_of(' ');
    cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
  }
  return cells;
}

std::map<std::string, TTable> DocumentTables() {
  std::ifstream document(std::filesystem::path(KESTRUNE_TEST_SUPPORT_DIR) / "../../docs/TAGS.md");
  std::map<std::string, TTable> tables;
  std::string section;
  for (std::string line; std::getline(document, line);) {
    if (line.starts_with("## ")) {
      section = line.substr(3);
    } else if (line.starts_with("|") && !line.starts_with("|-")) {
      TTable& table = tables[section];
      (table.Columns.empty() ? table.Columns : table.Rows.emplace_back()) = Cells(line);
    }
  }
  return tables;
}

// What a key of the file must hold for the field: the text itself, a number with its total after
// it, or the total after the number.
bool Holds(const TKey& key, const TField& field, const std::string& values) {
  const std::string text = field.Text;
  return key.AfterSlash ? values.ends_with("/" + text) : values == text || values.starts_with(text + "/");
}

class TagMappingTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveMutagen() || !HaveTool("ffmpeg") || !HaveTool("lame") || !HaveTool("flac")) {
      GTEST_SKIP() << "mutagen, ffmpeg, lame and flac are needed";
    }
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i \"sine=f=440:d=1:r=44100\" -ac 2 " + Quote(FWave)).ExitCode, 0);
  }

  std::string Script(const std::string& arguments) {
    const std::string script = (std::filesystem::path(KESTRUNE_TEST_SUPPORT_DIR) / "tag_mapping.py").string();
    return RunTool("/usr/bin/python3 " + Quote(script) + " " + arguments).Output;
  }

  // The key's values joined with "; ", as the row would show them.
  std::string KeyValues(const std::string& file, const std::string& key) {
    const std::string script = (std::filesystem::path(KESTRUNE_TEST_SUPPORT_DIR) / "tag_mapping.py").string();
    const std::string join = "import json,sys; print('; '.join(json.loads(sys.stdin.read()).get(sys.argv[1], [])))";
    return TrimNewline(RunTool("/usr/bin/python3 " + Quote(script) + " keys " + Quote(file) + " | /usr/bin/python3 -c " +
                               Quote(join) + " " + Quote(key))
                           .Output);
  }

  static std::string TrimNewline(std::string text) {
    while (!text.empty() && text.back() == '\n') {
      text.pop_back();
    }
    return text;
  }

  std::string Converted(const std::string& format) {
    TConversionRow row;
    row.FileName = FWave;
    for (const TField& field : Fields) {
      if (field.RowText != nullptr) {
        row.*field.RowText = field.Text;
      }
    }
    TSettings settings;
    settings.SetWmaProfiles(ListWmaProfiles(BuiltBinary("")));
    settings.SetText(sn::ConvFilePath, FDir.File("out-" + format) + "/");
    settings.SetText(sn::RipToFormat, format);
    TConversionDriver driver(settings, BuiltBinary(""));
    const TBatchResult result = driver.Convert({row});
    EXPECT_TRUE(result.AllCompleted()) << format << ": " << result.Rows.at(0).Message;
    return result.Rows.at(0).Output;
  }

  // A file of the column's kind holding nothing but `key`.
  std::string FileWithOnly(const std::string& column, const TKey& key, const std::string& value) {
    const std::string file = FDir.File("read" + std::to_string(++FCount) + Extension(column));
    const std::string make = column.starts_with("ID3v2")    ? "lame --quiet " + Quote(FWave) + " " + Quote(file)
                             : column.starts_with("Vorbis") ? "flac -s -f -o " + Quote(file) + " " + Quote(FWave)
                             : column == "WMA" ? "ffmpeg -v error -y -i " + Quote(FWave) + " -c:a wmav2 " + Quote(file)
                                               : "cp " + Quote(FWave) + " " + Quote(file);
    EXPECT_EQ(RunTool(make).ExitCode, 0) << make;
    Script("write " + Quote(file) + " " + Quote(key.Name) + " " + Quote(value));
    return file;
  }

  static std::string Extension(const std::string& column) {
    return column.starts_with("ID3v2") ? ".mp3" : column.starts_with("Vorbis") ? ".flac" : column == "WMA" ? ".wma"
           : column == "APEv2"         ? ".ape"
                                       : ".wav";
  }

  TempDir FDir;
  std::string FWave = FDir.File("plain.wav");
  int FCount = 0;
};

TEST_F(TagMappingTest, EveryKeyTheDocumentNamesIsWrittenAndRead) {
  const std::map<std::string, TTable> tables = DocumentTables();
  ASSERT_TRUE(tables.contains("Read") && tables.contains("Written"));

  const TTable& written = tables.at("Written");
  for (size_t column = 1; column < written.Columns.size(); ++column) {
    const std::string& header = written.Columns[column];
    std::vector<std::string> formats;
    for (const char* format : {"MP3", "OGG", "FLAC", "APE", "WMA", "WAV"}) {
      if (header.find(format) != std::string::npos) {
        formats.push_back(format);
      }
    }
    ASSERT_FALSE(formats.empty()) << header;
    for (const std::string& format : formats) {
      const std::string output = Converted(format);
      for (const auto& row : written.Rows) {
        const TField* field = FieldNamed(row[0]);
        ASSERT_NE(field, nullptr) << row[0];
        for (const TKey& key : CellKeys(row[column])) {
          const std::string values = KeyValues(output, key.Name);
          EXPECT_TRUE(Holds(key, *field, values)) << format << " " << key.Name << " holds '" << values << "'";
        }
      }
    }
  }

  const TTable& read = tables.at("Read");
  for (size_t column = 1; column < read.Columns.size(); ++column) {
    for (const auto& row : read.Rows) {
      const TField& field = *FieldNamed(row[0]);
      for (const TKey& key : CellKeys(row[column])) {
        // ID3v2.2's three-letter frames are read as their longer names; mutagen writes none.
        if (key.Name.size() == 3) {
          continue;
        }
        const std::string value = key.AfterSlash ? std::string("4/") + field.Text
                                  : key.NumberOfTotal ? field.Text + std::string("/9")
                                                      : field.Text;
        const SongInformation info = ReadSongInformation(FileWithOnly(read.Columns[column], key, value));
        EXPECT_EQ(info.*field.Shown, field.Text) << read.Columns[column] << " " << key.Name;
      }
    }
  }
}

}  // namespace
