// Which book read and show take when they are given none: $SOLMIRA_BOOK, the tool's own
// choice, or else the one the program itself would read for this user.
#pragma once

#include <string>

// The program's folder as seen from the tool in toolFolder: that folder when the program
// file itself or the book lies in it (a build folder), otherwise ../lib/solmira beside it
// (an install, with the tool and a link to the program in bin/).
std::string ProgramFolderOfTool(const std::string& toolFolder);

// The book, first found of: $SOLMIRA_BOOK; the user's own solmiraverse.pdb where the
// program's folder is not theirs to write; solmiraverse.pdb in the program's folder.
std::string DefaultBookPath();
