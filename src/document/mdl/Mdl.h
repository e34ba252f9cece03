#pragma once
// Models in the Vensim text format (.mdl): imported into a whole document with its diagram,
// exactly or not at all.
//   MdlRead.cpp: the text into entries and sketch objects; MdlParse.cpp: equations into
//   trees; MdlImport.cpp: entries and objects into the records the XMILE builder makes a
//   document of (document/xmile/XmileBuild.cpp).

#include "document/xmile/Xmile.h"

#include <string>
#include <string_view>

// Reads a .mdl text into a new, unsaved document named after the file; on failure nothing
// of the model survives and Error names the element and the construct.
TXmileImport ImportMdlText(std::string_view text, const std::string& fileName);
TXmileImport ImportMdlFile(const std::string& fileName);

// .mdl, letter case ignored.
bool IsMdlFileName(const std::string& fileName);

// A model of another tool that we import: XMILE or .mdl.
bool IsImportFileName(const std::string& fileName);
// Imports an XMILE or .mdl file, by its name.
TXmileImport ImportModelFile(const std::string& fileName);
