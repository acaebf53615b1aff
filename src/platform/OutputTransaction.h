#pragma once

// An output file that appears under its name only when it is complete. It is written as a
// hidden temporary file in the same folder, created exclusively (a link or a file already there
// is never opened), and Commit flushes it to the disk and renames it to its final name. A file
// that has that name already is kept: the output takes the first free "name (2).ext",
// "name (3).ext", ... unless replacing was asked for, and then only a rename replaces the old
// file, so it is never written through, nor left half-overwritten. A transaction that is not
// committed removes its temporary file.

#include <string>
#include <string_view>

class TOutputTransaction {
public:
  // EStreamError "<finalName>: cannot create (<reason>)" when the temporary file cannot be made.
  TOutputTransaction(std::string finalName, bool replaceExisting);
  ~TOutputTransaction();
  TOutputTransaction(const TOutputTransaction&) = delete;
  TOutputTransaction& operator=(const TOutputTransaction&) = delete;

  const std::string& FinalName() const { return FFinalName; }
  const std::string& TemporaryName() const { return FTemporaryName; }
  // The temporary file, open for reading and writing; -1 once committed or abandoned.
  int Handle() const { return FHandle; }

  // Flushes and closes the temporary file and gives it its name; returns that name. EStreamError
  // naming the final file and the reason when the data cannot be flushed or the file renamed; the
  // temporary file is then removed.
  std::string Commit();
  // Removes the temporary file (nothing happens after Commit).
  void Abandon();

private:
  std::string Place();

  std::string FFinalName;
  std::string FTemporaryName;
  bool FReplaceExisting;
  int FHandle = -1;
  bool FPending = true;
};

// Writes `bytes` as a new, complete file under `fileName` or, when that is taken, the first free
// numbered name, and returns the name. EStreamError naming the file and the reason.
std::string WriteNewFile(const std::string& fileName, std::string_view bytes);
