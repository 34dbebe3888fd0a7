// The scratch area of a file-test run and raw file helpers that do not go through the code under test
// (shared by the system and data tests).
//
// The run's directory is made under the user's temporary directory when the run starts and TMP and
// TEMP point to it (so the library's temporary-file area lives there too); when the run ends it is
// deleted with everything in it. Each test of a ScratchTest fixture gets a fresh directory in it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation.h"
#include "../foundation/tstring_print.h"

namespace ScratchFiles {

using Orv::tstring;

// The run's directory (absolute, no long prefix).
const tstring& RunDirectory();

// `path` (absolute) in the long form, for the raw Win32 calls of the tests.
tstring Long(const tstring& path);

// Raw file access: whole-file writes and reads, existence.
bool WriteRaw(const tstring& path, const std::string& bytes);
bool ReadRaw(const tstring& path, std::string& bytes);
// The file's bytes, "<none>" when it cannot be read.
std::string Contents(const tstring& path);
bool ExistsRaw(const tstring& path);

// A test with a fresh directory of its own under the run's directory.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  const tstring& Dir() const { return m_dir; }
  // Dir() joined with `relative`.
  tstring Path(const wchar_t* relative) const;

 private:
  tstring m_dir;
};

}  // namespace ScratchFiles
