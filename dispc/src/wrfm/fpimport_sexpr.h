// The S-expression reader of the footprint importer: the text of a footprint file as
// a tree of lists and atoms, each knowing the line it starts on.
//
//   zc_fp::Node root = zc_fp::readSExpression(text, "R_0603.kicad_mod");
//   for (const zc_fp::Node& item : root.items) if (item.head() == "fp_line") ...
//
// Atoms are symbols (F.Fab, smd), quoted strings ("F.Fab", with the escapes \" \\ \n
// \t \r; any other escaped character stands for itself) and numbers (symbols that read
// whole as a finite decimal number; they keep their spelling, so a pad named 1 is
// still "1"). Bounds: zkMaxFootprintBytes of text, zkMaxNesting levels of lists and
// zkMaxNodes atoms and lists. Whatever breaks the grammar or a bound raises
// zcFootprintImport::Malformed with "SOURCE:LINE: what".
#pragma once

#include "dispc/export.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zc_fp {

inline constexpr std::size_t zkMaxFootprintBytes = std::size_t(8) << 20;
inline constexpr std::size_t zkMaxNesting = 64;
inline constexpr std::size_t zkMaxNodes = std::size_t(1) << 20;

struct DISPC_API Node {
  enum Kind : unsigned char { eList, eSymbol, eString, eNumber };
  Kind kind = eList;
  long line = 1;
  std::string text;   // an atom's text (a string without its quotes, escapes resolved)
  double number = 0;  // the value of a number
  std::vector<Node> items;

  bool isList() const { return kind == eList; }
  bool isAtom() const { return kind != eList; }
  // The first item of a list when it is a symbol; empty otherwise.
  std::string_view head() const;
};

// The one list that the text holds (white space around it only). Exported for the
// tests, which read footprint files on their own.
DISPC_API Node readSExpression(std::string_view text, const std::string& source);

// "SOURCE:LINE: what", the form of every importer message.
std::string where(const std::string& source, long line, const std::string& what);

}  // namespace zc_fp
