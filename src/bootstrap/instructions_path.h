// Where the release instructions of the installed version lie, and the name that marks them
// as read.
#pragma once

#include <string>

namespace kolvar::bootstrap {

// The version folder: `version` in fixed notation with two decimals and at most nine
// significant digits, with a point as separator (3200879.02 for the product's version).
std::wstring VersionFolderName(double version);

// ProgramDir + "VerInfo\<version folder>\Instruct.htm", the same whether `programDir` ends with
// a backslash or not.
std::wstring InstructionsFile(const std::wstring& programDir, double version);

// The read mark: "l" appended to `fileName` ("Instruct.htm" → "Instruct.html"); a name that
// already ends in "l" or "L" is returned unchanged.
std::wstring ReadMarkName(const std::wstring& fileName);

}  // namespace kolvar::bootstrap
