#include "platform/OutputTransaction.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/StreamError.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

std::string Text(const std::string& fileName) {
  const auto bytes = ReadFileBytes(fileName);
  return {bytes.begin(), bytes.end()};
}

void Put(const TOutputTransaction& transaction, const std::string& text) {
  ASSERT_EQ(::write(transaction.Handle(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(OutputTransaction, TheFileAppearsUnderItsNameOnlyWhenCommittedAndIsGoneWhenAbandoned) {
  TempDir dir;
  {
    TOutputTransaction transaction(dir.File("a.WAV"), false);
    Put(transaction, "abc");
    // Meanwhile only a hidden file beside it.
    ASSERT_EQ(Names(dir.Path()).size(), 1u);
    EXPECT_EQ(Names(dir.Path())[0].front(), '.');
    EXPECT_EQ(fs::path(transaction.TemporaryName()).parent_path(), dir.Path());
    EXPECT_EQ(transaction.Commit(), dir.File("a.WAV"));
  }
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.WAV"});
  EXPECT_EQ(Text(dir.File("a.WAV")), "abc");
  {
    TOutputTransaction transaction(dir.File("b.WAV"), false);
    Put(transaction, "half");
  }
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.WAV"});
  try {
    TOutputTransaction transaction(dir.File("missing/c.WAV"), false);
    FAIL() << "created in a missing folder";
  } catch (const EStreamError& error) {
    EXPECT_EQ(std::string(error.what()), dir.File("missing/c.WAV") + ": cannot create (No such file or directory)");
  }
}

TEST(OutputTransaction, WhatIsThereAlreadyIsKeptUnlessReplacingWasAskedAndLinksAreNeverFollowed) {
  TempDir dir;
  WriteFileBytes(dir.File("outside.txt"), {'k', 'e', 'e', 'p'});
  fs::create_symlink(dir.File("outside.txt"), dir.File("link.WAV"));
  WriteFileBytes(dir.File("old.WAV"), {'o', 'l', 'd'});

  TOutputTransaction racing(dir.File("new.WAV"), false);
  Put(racing, "second");
  // Another program takes the name while this file is being written.
  WriteFileBytes(dir.File("new.WAV"), {'f', 'i', 'r', 's', 't'});
  EXPECT_EQ(racing.Commit(), dir.File("new (2).WAV"));
  EXPECT_EQ(Text(dir.File("new.WAV")), "first");

  TOutputTransaction kept(dir.File("link.WAV"), false);
  EXPECT_EQ(kept.Commit(), dir.File("link (2).WAV"));

  TOutputTransaction replacing(dir.File("old.WAV"), true);
  Put(replacing, "replaced");
  EXPECT_EQ(replacing.Commit(), dir.File("old.WAV"));
  EXPECT_EQ(Text(dir.File("old.WAV")), "replaced");

  TOutputTransaction overLink(dir.File("link.WAV"), true);
  Put(overLink, "mine");
  EXPECT_EQ(overLink.Commit(), dir.File("link.WAV"));
  EXPECT_FALSE(fs::is_symlink(dir.File("link.WAV")));
  EXPECT_EQ(Text(dir.File("outside.txt")), "keep");

  EXPECT_EQ(WriteNewFile(dir.File("old.WAV"), "list"), dir.File("old (2).WAV"));
  EXPECT_EQ(Text(dir.File("old (2).WAV")), "list");
}
